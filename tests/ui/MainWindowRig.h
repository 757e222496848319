// A main window for tests: its own settings, session state and folder, a
// link on a virtual clock and, unless asked otherwise, the emulated
// detector joined in memory. Message boxes are answered by the test.
#pragma once

#include "app/AppSettings.h"
#include "app/SessionState.h"
#include "app/Startup.h"
#include "common/TestSupport.h"
#include "link/LinkClock.h"
#include "link/uclTqif.h"
#include "model/OptionRules.h"
#include "ui/GridControl.h"
#include "ui/MessageBox.h"
#include "ui/main/DemoDetector.h"
#include "ui/main/LogPane.h"
#include "ui/main/frmMain.h"

#include <QGroupBox>

#include <QApplication>
#include <QFile>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

namespace windowtest {

struct MainWindowRig {
    testsupport::ScratchDir dir;
    AppSettings settings;
    SessionState session;
    StartupOptions options;
    VirtualLinkClock clock;
    std::unique_ptr<DemoDetector> detector;
    QList<SerialPortRecord> ports; // what the adapter search finds

    // Message boxes: each is recorded; answered from `answers` in order, then
    // with `defaultAnswer`.
    std::vector<MsgBoxRequest> asked;
    std::deque<QMessageBox::StandardButton> answers;
    QMessageBox::StandardButton defaultAnswer = QMessageBox::Yes;
    ScopedMsgBoxHandler boxes{[this](const MsgBoxRequest& request) {
        asked.push_back(request);
        if (!answers.empty()) {
            const auto answer = answers.front();
            answers.pop_front();
            return answer;
        }
        return defaultAnswer;
    }};

    std::unique_ptr<frmMain> window;

    struct Options {
        bool withDetector = true;
        bool show = true;
        std::function<void(MainWindowRig&)> beforeLoad;
        bool virtualClock = true; // false: the link keeps the wall clock
    };

    static Options With(bool withDetector, bool show = true,
                        std::function<void(MainWindowRig&)> beforeLoad = {}) {
        Options o;
        o.withDetector = withDetector;
        o.show = show;
        o.beforeLoad = std::move(beforeLoad);
        return o;
    }

    MainWindowRig() : MainWindowRig(Options{}) {}
    explicit MainWindowRig(const Options& o) {
        if (o.withDetector)
            detector = std::make_unique<DemoDetector>(&clock);
        if (o.beforeLoad)
            o.beforeLoad(*this);
        frmMain::Setup setup;
        setup.settings = &settings;
        setup.session = &session;
        setup.options = &options;
        setup.startupFolder = dir.path();
        setup.readEnvironment = false;
        setup.listPorts = [this] { return ports; };
        setup.linkSetup = [this, o](uclTqif& link) -> LinkTransport* {
            if (o.virtualClock)
                link.setClock(&clock);
            return detector ? detector->transport() : nullptr;
        };
        window = std::make_unique<frmMain>(setup);
        if (o.show) {
            window->show();
            QCoreApplication::processEvents();
        }
    }
    ~MainWindowRig() {
        // Leave without the closing question.
        if (window) {
            SetMsgBoxHandler([](const MsgBoxRequest&) { return QMessageBox::Yes; });
            window.reset();
        }
    }

    uclTqif& link() { return *window->uclTQ6937; }
    clsInstrument& record() { return session.Instrument; }
    SimDetector& sim() { return detector->detector(); }

    // Runs link ticks until the detector answered the connect probe.
    bool connect(int maxTicks = 300) {
        for (int i = 0; i < maxTicks && !link().Connected(); ++i)
            clock.runTicks(1);
        return link().Connected();
    }

    // The log pane's lines and the colour each starts with.
    QStringList logLines() const { return window->rtbLog->toPlainText().split(QLatin1Char('\n')); }
    // Colour of the first line that contains `text` (invalid when none).
    QColor colourOf(const QString& text) const {
        const QTextDocument* doc = window->rtbLog->document();
        for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
            const int at = b.text().indexOf(text);
            if (at < 0)
                continue;
            QTextCursor c(b);
            c.setPosition(b.position() + at + 1);
            return c.charFormat().foreground().color();
        }
        return QColor();
    }
    bool logged(const QString& text) const { return window->rtbLog->toPlainText().contains(text); }
    // Whether any box with this text was shown.
    bool wasAsked(const QString& text) const {
        for (const MsgBoxRequest& r : asked) {
            if (r.text == text)
                return true;
        }
        return false;
    }
};

// Trimmed text without the catalogue's trailing line break.
inline QString Line(const QString& text) {
    QString t = text;
    while (t.endsWith(QLatin1Char('\n')) || t.endsWith(QLatin1Char('\r')))
        t.chop(1);
    return t;
}

} // namespace windowtest
