// A status lamp of the main window (shpStatus): a round light with a fill
// and a border colour, sized to the font so it scales with the text next to
// it.
#pragma once

#include <QColor>
#include <QWidget>

class StatusLamp : public QWidget {
    Q_OBJECT
public:
    explicit StatusLamp(QWidget* parent = nullptr);

    void setColors(const QColor& fill, const QColor& border);
    QColor FillColor() const { return fill_; }
    QColor BorderColor() const { return border_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor fill_{160, 160, 160};
    QColor border_{128, 128, 128};
};
