// A main window for tests: its own settings, session state and folder, a
// link on a virtual clock and, unless asked otherwise, the emulated
// detector joined in memory. Message boxes are answered by the test.
#pragma once

#include "UiTestKit.h"

#include "app/AppSettings.h"
#include "app/Catalogue.h"
#include "app/Startup.h"
#include "common/TestSupport.h"
#include "link/LinkClock.h"
#include "link/uclTqif.h"
#include "model/OptionRules.h"
#include "model/clsInstrument.h"
#include "records/SessionState.h"
#include "ui/main/DemoDetector.h"
#include "ui/main/LogPane.h"
#include "ui/main/OptionGrid.h"
#include "ui/main/StatusLamp.h"
#include "ui/main/frmMain.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace windowtest {

using uitest::kRed;
const QColor kGreen(0, 192, 0);
const QColor kLampGreen(0, 255, 0);
const QColor kLampGrey(160, 160, 160);

struct MainWindowRig : uitest::BoxRecorder {
    testsupport::ScratchDir dir;
    AppSettings settings;
    SessionState session;
    StartupOptions options;
    VirtualLinkClock clock;
    std::unique_ptr<DemoDetector> detector;
    QList<SerialPortRecord> ports; // what the adapter search finds
    std::unique_ptr<frmMain> window;

    struct Options {
        bool withDetector = true;
        bool show = true;
        std::function<void(MainWindowRig&)> beforeLoad;
        bool virtualClock = true; // false: the link keeps the wall clock
    };
    static Options With(bool withDetector, bool show = true,
                        std::function<void(MainWindowRig&)> beforeLoad = {}) {
        return Options{withDetector, show, std::move(beforeLoad), true};
    }

    MainWindowRig() : MainWindowRig(Options{}) {}
    explicit MainWindowRig(const Options& o) : dataDir_(qgetenv("TQ7350_DATA_DIR")) {
        // The program's own data (the journal of unfinished writes) stays
        // with this window.
        qputenv("TQ7350_DATA_DIR", QDir(dir.path()).filePath(QStringLiteral("data")).toUtf8());
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
        SetMsgBoxHandler([](const MsgBoxRequest&) { return QMessageBox::Yes; });
        window.reset();
        qputenv("TQ7350_DATA_DIR", dataDir_);
    }

    uclTqif& link() { return *window->uclTQ6937; }
    clsInstrument& record() { return session.Instrument; }
    SimDetector& sim() { return detector->detector(); }
    QString file(const QString& name) const { return QDir(dir.path()).filePath(name); }

    // Runs link ticks until the detector answered the connect probe.
    bool connect(int maxTicks = 300) {
        for (int i = 0; i < maxTicks && !link().Connected(); ++i)
            clock.runTicks(1);
        return link().Connected();
    }

    // Colour of the first log line that contains `text` (invalid when none).
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

private:
    QByteArray dataDir_;
};

// Trimmed text without the catalogue's trailing line break.
inline QString Line(const QString& text) {
    QString t = text;
    while (t.endsWith(QLatin1Char('\n')) || t.endsWith(QLatin1Char('\r')))
        t.chop(1);
    return t;
}

} // namespace windowtest
