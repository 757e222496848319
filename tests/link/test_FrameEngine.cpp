// The transaction engine against a scripted peer, on a virtual clock.
#include "LinkHarness.h"

#include <gtest/gtest.h>

using namespace linktest;

namespace {

int CountContaining(const QStringList& lines, const QString& text) {
    int n = 0;
    for (const QString& line : lines)
        n += line.contains(text) ? 1 : 0;
    return n;
}

} // namespace

TEST(Engine, ConnectsAndLogsTheProbe) {
    Rig rig;
    int connects = 0;
    QObject::connect(&rig.link, &uclTqif::OnConnect, [&] {
        ++connects;
        // The host may look at the link from its handler: it is settled.
        EXPECT_TRUE(rig.link.Connected());
        EXPECT_EQ(rig.link.Status(), 6);
    });
    ASSERT_TRUE(rig.connect());
    EXPECT_EQ(connects, 1);
    EXPECT_EQ(rig.link.LinkState(), 3);

    const QStringList entries = rig.logEntries();
    EXPECT_TRUE(entries.contains(QStringLiteral("W : [STX]0001RC,R,[ETX]FB[EOT]")))
        << entries.join(QLatin1Char('|')).toStdString();
    const QString answer = SerialLog::RenderControl(
        QString::fromLatin1(BuildAnswerFrame(QStringLiteral("RC,R"), QStringLiteral("TQ-7350"))));
    EXPECT_TRUE(entries.contains(QStringLiteral("R : ") + answer));
    EXPECT_EQ(CountContaining(entries, QStringLiteral("---StartUp Connect Sequence Started---")),
              1);
    EXPECT_EQ(CountContaining(entries, QStringLiteral("---StartUp Connect Sequence Finished---")),
              1);

    // A second connect answer while connected raises nothing new.
    rig.peer.push(BuildAnswerFrame(QStringLiteral("RC,R"), QStringLiteral("TQ-7350")));
    rig.clock.settle();
    EXPECT_EQ(connects, 1);
}

TEST(Engine, ConnectPollingCadenceRetriesAndGiveUp) {
    Rig rig;
    rig.link.setRetry(11);
    QStringList alarms;
    qint64 alarmAt = -1;
    QObject::connect(&rig.link, &uclTqif::AlarmMessage, [&](const QString& text) {
        alarms << text;
        alarmAt = rig.clock.elapsedMs();
    });
    QList<int> reported;
    QList<int> atAttempt;
    QObject::connect(&rig.link, &uclTqif::ConnectRetry, [&](int n) {
        reported << n;
        atAttempt << rig.link.engine().RetryCount();
    });
    rig.link.setPortOpen(true);
    ASSERT_TRUE(rig.link.waitWhile([&] { return alarms.isEmpty(); }));

    // One "RC,R," every 1.2 s, Retry attempts, then the alarm after one more
    // period; every fifth attempt is reported.
    EXPECT_EQ(rig.peer.commands(), QStringList(11, "RC,R,"));
    for (int i = 1; i < rig.peer.requestTimes.size(); ++i)
        EXPECT_EQ(rig.peer.requestTimes[i] - rig.peer.requestTimes[i - 1], 1200) << i;
    EXPECT_EQ(alarmAt - rig.peer.requestTimes.last(), 1200);
    EXPECT_EQ(reported, QList<int>({1, 2}));
    EXPECT_EQ(atAttempt, QList<int>({5, 10}));
    ASSERT_EQ(alarms.size(), 1);
    EXPECT_TRUE(
        alarms[0].startsWith(QStringLiteral("TQ-7350 No Response. Check Port,Cable And Power.")))
        << alarms[0].toStdString();
    EXPECT_EQ(rig.link.LinkState(), 0);
    EXPECT_EQ(rig.link.Status(), 0);
    // Polling has stopped for good: nothing more is sent.
    rig.clock.runTicks(100);
    EXPECT_EQ(rig.peer.requests.size(), 11);
    EXPECT_EQ(alarms.size(), 1);
}

TEST(Engine, AnotherModelIsNeverTakenForOurs) {
    Rig other;
    other.link.setRetry(2);
    other.peer.respond = [](const QString&, const QByteArray&) {
        return BuildAnswerFrame(QStringLiteral("RC,R"), QStringLiteral("TQ-9999"));
    };
    bool otherAlarmed = false;
    bool connected = false;
    QObject::connect(&other.link, &uclTqif::AlarmMessage, [&] { otherAlarmed = true; });
    QObject::connect(&other.link, &uclTqif::OnConnect, [&] { connected = true; });
    other.link.setPortOpen(true);
    ASSERT_TRUE(other.link.waitWhile([&] { return !otherAlarmed; }));
    EXPECT_FALSE(connected);
    EXPECT_EQ(other.link.LinkState(), 0);
}

TEST(Engine, LineUpAndDown) {
    Rig rig;
    rig.peer.setLine(false, false);
    int lineDowns = 0;
    QObject::connect(&rig.link, &uclTqif::LineDown, [&] { ++lineDowns; });
    rig.link.setPortOpen(true);
    rig.clock.settle();
    EXPECT_EQ(rig.link.LinkState(), 0);
    EXPECT_TRUE(rig.peer.requests.isEmpty());

    // CTS alone starts connect polling.
    rig.peer.setLine(true, false);
    rig.clock.settle();
    EXPECT_EQ(rig.link.LinkState(), 2);
    rig.clock.runTicks(1);
    EXPECT_EQ(rig.peer.commands(), QStringList({"RC,R,"}));

    // DSR alone keeps it going; both off stops it and raises LineDown.
    rig.peer.setLine(false, true);
    rig.clock.settle();
    EXPECT_EQ(rig.link.LinkState(), 2);
    rig.peer.setLine(false, false);
    rig.clock.settle();
    EXPECT_EQ(rig.link.LinkState(), 0);
    EXPECT_EQ(lineDowns, 1);
    const int sent = rig.peer.requests.size();
    rig.clock.runTicks(30);
    EXPECT_EQ(rig.peer.requests.size(), sent);
}

TEST(Engine, LineDownFailsTheWaitingCommand) {
    Rig rig;
    ASSERT_TRUE(rig.connect());
    int lineDowns = 0;
    QObject::connect(&rig.link, &uclTqif::LineDown, [&] { ++lineDowns; });
    // The detector leaves while the command is on its way.
    rig.peer.respond = [&](const QString&, const QByteArray&) {
        rig.peer.setLine(false, false);
        return QByteArray();
    };
    EXPECT_EQ(rig.link.SendAndWait(QStringLiteral("AA,R,"), 5), LinkResult::LineLost);
    EXPECT_EQ(rig.link.Status(), 7);
    EXPECT_EQ(rig.link.LinkState(), 0);
    EXPECT_EQ(lineDowns, 1);
}

TEST(Engine, TwoAnswersInOneReceiveEvent) {
    Rig rig;
    ASSERT_TRUE(rig.connect());
    const QByteArray first = BuildAnswerFrame(QStringLiteral("AA,R"), QStringLiteral("1,2"));
    const QByteArray second = BuildAnswerFrame(QStringLiteral("BB,R"), QStringLiteral("3"));
    rig.peer.respond = [&](const QString&, const QByteArray&) { return first + second; };
    rig.acceptedFrames.clear();
    EXPECT_EQ(rig.link.SendAndWait(QStringLiteral("AA,R,"), 5), LinkResult::Done);
    EXPECT_EQ(rig.acceptedFrames,
              QStringList({QString::fromLatin1(first), QString::fromLatin1(second)}));
    EXPECT_TRUE(rig.link.engine().ReceiveBuffer().isEmpty());
}

// Only an answer with the command's own code and form ends its wait. A late
// answer to an earlier command, or a second connect answer, is refused and
// the command repeated; answers of nothing but such frames fail it, never
// complete it (a dump list once ended "complete" on a connect answer).
TEST(Engine, OnlyTheCommandsOwnAnswerEndsItsWait) {
    const QByteArray own = BuildAnswerFrame(QStringLiteral("SA,R"), QStringLiteral("1,2,3"));
    const QByteArray others[] = {
        BuildAnswerFrame(QStringLiteral("RC,R"), QStringLiteral("TQ-7350")),
        BuildAnswerFrame(QStringLiteral("XP,W"), QStringLiteral("0258")),
        BuildAnswerFrame(QStringLiteral("SA,W"), QStringLiteral("1,2,3")),
        BuildAnswerFrame(QStringLiteral("SA,C"), QString(QChar(0x06))),
    };
    for (const QByteArray& other : others) {
        SCOPED_TRACE(other.toStdString());
        Rig rig;
        ASSERT_TRUE(rig.connect());
        int asked = 0;
        rig.peer.respond = [&](const QString&, const QByteArray&) {
            return ++asked == 1 ? other : own;
        };
        rig.acceptedFrames.clear();
        EXPECT_EQ(rig.link.SendAndWait(QStringLiteral("SA,R,"), kStatusAwaitingRead),
                  LinkResult::Done);
        EXPECT_EQ(asked, 2);
        EXPECT_EQ(rig.acceptedFrames, QStringList{QString::fromLatin1(own)});

        rig.peer.respond = [&](const QString&, const QByteArray&) { return other; };
        EXPECT_EQ(rig.link.SendAndWait(QStringLiteral("SA,R,"), kStatusAwaitingRead),
                  LinkResult::Refused);
    }
}

// A command that failed stays failed: an answer that follows in the same
// receive event (another command's, which the parser takes) must not turn
// the failure into a success (found by the link's fuzz target).
TEST(Engine, AFailedCommandStaysFailed) {
    Rig rig;
    ASSERT_TRUE(rig.connect());
    rig.link.setRetry(0);
    rig.link.setResponseParser([](const QString& frame) {
        return FrameEngine::AnswerCode(frame) == QLatin1String("HB,R");
    });
    rig.peer.respond = [](const QString&, const QByteArray&) {
        return BuildAnswerFrame(QStringLiteral("SA,R"), QStringLiteral("garbled")) +
               BuildAnswerFrame(QStringLiteral("HB,R"), QStringLiteral("01"));
    };
    EXPECT_EQ(rig.link.SendAndWait(QStringLiteral("SA,R,"), kStatusAwaitingRead),
              LinkResult::Refused);
    EXPECT_EQ(rig.link.Status(), kStatusFailed);
}

TEST(Engine, BlockAcknowledgedAndTrailingCharactersDropped) {
    Rig rig;
    ASSERT_TRUE(rig.connect());
    const QByteArray block1 =
        BuildAnswerFrame(QStringLiteral("XS,R"), QStringLiteral("0001,ALPHA"), FrameEngine::ETB);
    const QByteArray block2 = BuildAnswerFrame(QStringLiteral("XS,R"), QStringLiteral("0002,BETA"));
    const QString ackCommand = QStringLiteral("XS,R,") + QChar(FrameEngine::ACK);
    rig.peer.respond = [&](const QString& command, const QByteArray&) {
        if (command == QLatin1String("XS,R,0001"))
            return block1 + block2.left(12); // the next block already begins
        if (command == ackCommand)
            return block2;
        return QByteArray();
    };
    rig.acceptedFrames.clear();
    EXPECT_EQ(rig.link.SendAndWait(QStringLiteral("XS,R,0001"), 4), LinkResult::Done);
    EXPECT_EQ(rig.acceptedFrames,
              QStringList({QString::fromLatin1(block1), QString::fromLatin1(block2)}));
    ASSERT_EQ(rig.peer.requests.size(), 2);
    EXPECT_EQ(rig.peer.requests[1],
              FrameEngine::BuildFrame(ackCommand, FrameEngine::ETB).toLatin1());
    EXPECT_EQ(rig.link.engine().RetryCount(), 0); // the acknowledgement restarts the count
}

// How a command ends when its answer is lost, rejected or a bare CR: the
// requests sent, the result and the link time it took. Nothing more is
// sent afterwards, neither at later ticks nor for a CR left behind.
TEST(Engine, RepeatsAndTimeOutsEndEveryCommand) {
    enum class Peer { Silent, Rejects, BareCr };
    const struct {
        const char* what;
        const char* command;
        int timeout;
        int retry;
        Peer peer;
        LinkResult result;
        int requests;
        qint64 ms;
    } cases[] = {
        // Timeout 1 s = 10 ticks counted down, the 11th tick repeats.
        {"lost answer", "AA,R,", 1, 2, Peer::Silent, LinkResult::TimedOut, 3, 3 * 1100},
        {"timeout 0", "AA,R,", 0, 0, Peer::Silent, LinkResult::TimedOut, 1, 100},
        {"timeout 0, retry 2", "AA,R,", 0, 2, Peer::Silent, LinkResult::TimedOut, 3, 300},
        // Never repeated: the time-out plus the counted retries end it.
        {"lost, never repeated", "XC,W,", 1, 3, Peer::Silent, LinkResult::TimedOut, 1, 1400},
        {"rejected, never repeated", "UX,W,", 1, 3, Peer::Rejects, LinkResult::TimedOut, 1, 1300},
        // Rejected answers and bare CRs are repeated at once.
        {"rejected", "AA,R,", 1, 3, Peer::Rejects, LinkResult::Refused, 4, 0},
        {"bare CR", "AA,R,", 1, 3, Peer::BareCr, LinkResult::Refused, 4, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig;
        ASSERT_TRUE(rig.connect());
        rig.link.setTimeout(c.timeout);
        rig.link.setRetry(c.retry);
        QList<int> retries;
        QObject::connect(&rig.link, &uclTqif::ConnectRetry, [&](int n) { retries << n; });
        rig.parserAccepts = c.peer != Peer::Rejects;
        rig.peer.respond = [&](const QString& command, const QByteArray&) {
            if (c.peer == Peer::BareCr)
                return QByteArray(1, FrameEngine::CR);
            if (c.peer == Peer::Rejects)
                return BuildAnswerFrame(command.left(4), QStringLiteral("x"));
            return QByteArray();
        };
        const qint64 start = rig.clock.elapsedMs();
        EXPECT_EQ(rig.link.SendAndWait(QString::fromLatin1(c.command), 5), c.result);
        EXPECT_EQ(rig.clock.elapsedMs() - start, c.ms);
        EXPECT_EQ(rig.link.Status(), 7);
        if (c.peer == Peer::Silent) {
            EXPECT_FALSE(rig.link.ReceivingFlag());
        }
        EXPECT_EQ(rig.peer.commands(), QStringList(c.requests, QString::fromLatin1(c.command)));
        EXPECT_EQ(retries, c.peer == Peer::BareCr ? QList<int>({2, 3}) : QList<int>());
        rig.clock.runTicks(60);
        rig.peer.push(QByteArray(1, FrameEngine::CR));
        rig.clock.settle();
        EXPECT_EQ(rig.peer.requests.size(), c.requests);
        EXPECT_EQ(rig.link.Status(), 7);
    }
}

TEST(Engine, RejectedBlocksAreRefusedWithNak) {
    Rig rig;
    ASSERT_TRUE(rig.connect());
    rig.parserAccepts = false;
    rig.peer.respond = [](const QString&, const QByteArray&) {
        return BuildAnswerFrame(QStringLiteral("AA,R"), QStringLiteral("x"));
    };
    rig.link.setStatus(3);
    rig.link.DataSend(uclTqif::BuildFrame(QStringLiteral("EF,R,")), true);
    ASSERT_TRUE(rig.link.waitWhileStatus(3));
    EXPECT_EQ(rig.link.Status(), 7);
    const QString nak = QStringLiteral("EF,R,") + QChar(FrameEngine::NAK);
    EXPECT_EQ(rig.peer.commands(), QStringList({"EF,R,", nak, nak, nak}));
    EXPECT_EQ(rig.peer.requests[1], FrameEngine::BuildFrame(nak, FrameEngine::ETB).toLatin1());
}

TEST(Engine, CrInsideAFrameWaitsForItsEnd) {
    Rig rig;
    ASSERT_TRUE(rig.connect());
    const QByteArray answer = BuildAnswerFrame(QStringLiteral("ML,R"), QStringLiteral("a\rb\rc"));
    const int cut = answer.indexOf('\r') + 1;
    rig.peer.respond = [&](const QString&, const QByteArray&) {
        rig.peer.push(answer.left(cut)); // arrives in two pieces
        rig.peer.push(answer.mid(cut));
        return QByteArray();
    };
    rig.acceptedFrames.clear();
    EXPECT_EQ(rig.link.SendAndWait(QStringLiteral("ML,R,"), 4), LinkResult::Done);
    EXPECT_EQ(rig.acceptedFrames, QStringList({QString::fromLatin1(answer)}));
    EXPECT_EQ(rig.peer.requests.size(), 1);

    // A stray CR while nothing is awaited repeats nothing.
    rig.peer.push("noise\r");
    rig.clock.settle();
    EXPECT_EQ(rig.peer.requests.size(), 1);
    EXPECT_TRUE(rig.link.engine().ReceiveBuffer().isEmpty());
}

TEST(Engine, CancelledCommandThatTimesOutEndsStopped) {
    Rig rig;
    ASSERT_TRUE(rig.connect());
    rig.link.setRetry(2);
    rig.peer.respond = [&](const QString&, const QByteArray&) {
        rig.link.setCancel(true); // the user cancels while the answer is on its way
        return BuildAnswerFrame(QStringLiteral("AA,R"), QStringLiteral("1"));
    };
    const qint64 start = rig.clock.elapsedMs();
    EXPECT_EQ(rig.link.SendAndWait(QStringLiteral("AA,R,"), 5), LinkResult::Cancelled);
    EXPECT_EQ(rig.link.Status(), 8);
    EXPECT_TRUE(rig.link.engine().ReceiveBuffer().isEmpty());
    rig.acceptedFrames.clear();

    ASSERT_TRUE(rig.link.waitWhileStatus(8));
    EXPECT_EQ(rig.link.Status(), 2);
    // Ten ticks of time-out, two counted repetitions, then the end.
    EXPECT_EQ(rig.clock.elapsedMs() - start, 1300);
    EXPECT_EQ(rig.peer.requests.size(), 1);
    EXPECT_TRUE(rig.acceptedFrames.isEmpty());
}

TEST(Engine, ReceiveBufferIsCapped) {
    Rig rig;
    ASSERT_TRUE(rig.connect());
    rig.peer.push(QByteArray(40000, 'A'));
    rig.clock.settle();
    EXPECT_EQ(rig.link.engine().ReceiveBuffer().size(), FrameEngine::kReceiveBufferCap);
    rig.peer.push(QByteArray(10000, 'B'));
    rig.clock.settle();
    EXPECT_EQ(rig.link.engine().ReceiveBuffer().size(), FrameEngine::kReceiveBufferCap);
    EXPECT_TRUE(rig.link.engine().ReceiveBuffer().endsWith(QByteArray(10000, 'B')));
    // Said once per flood, not once per chunk.
    EXPECT_EQ(CountContaining(rig.logEntries(), QStringLiteral("Receive Buffer Over Flow")), 1);

    // A frame that follows the noise is still found.
    const QByteArray answer = BuildAnswerFrame(QStringLiteral("AA,R"), QStringLiteral("ok"));
    rig.peer.respond = [&](const QString&, const QByteArray&) {
        return QByteArray(50000, 'C') + answer;
    };
    rig.acceptedFrames.clear();
    EXPECT_EQ(rig.link.SendAndWait(QStringLiteral("AA,R,"), 5), LinkResult::Done);
    EXPECT_EQ(rig.acceptedFrames.size(), 1);
    EXPECT_TRUE(rig.acceptedFrames.value(0).endsWith(QString::fromLatin1(answer)));
}

TEST(Engine, SecondCommandWhileWaitingIsRefused) {
    Rig rig;
    ASSERT_TRUE(rig.connect());
    LinkResult innerResult = LinkResult::Done;
    bool innerTried = false;
    rig.peer.respond = [&](const QString& command, const QByteArray&) {
        if (command == QLatin1String("AA,R,") && !innerTried) {
            innerTried = true;
            // An event handler tries to start another command meanwhile.
            innerResult = rig.link.SendAndWait(QStringLiteral("BB,R,"), 5);
            EXPECT_FALSE(rig.link.waitMs(1000));
        }
        return BuildAnswerFrame(QStringLiteral("AA,R"), QStringLiteral("1"));
    };
    EXPECT_EQ(rig.link.SendAndWait(QStringLiteral("AA,R,"), 5), LinkResult::Done);
    EXPECT_TRUE(innerTried);
    EXPECT_EQ(innerResult, LinkResult::Busy);
    EXPECT_EQ(rig.peer.commands(), QStringList({"AA,R,"}));
    EXPECT_EQ(CountContaining(rig.logEntries(), QStringLiteral("Refused")), 2);
    EXPECT_FALSE(rig.link.IsBusy());
}

TEST(Engine, LineErrorsAreLoggedCountedAndFail) {
    Rig rig;
    ASSERT_TRUE(rig.connect());
    FrameEngine& engine = rig.link.engine();
    engine.onLineError(LinkTransport::BreakError);
    EXPECT_EQ(engine.LineErrorCount(), 1);
    EXPECT_EQ(rig.link.Status(), 6);
    engine.onLineError(LinkTransport::ParityError);
    EXPECT_EQ(engine.LineErrorCount(), 2);
    EXPECT_EQ(rig.link.Status(), 7);
    const QStringList entries = rig.logEntries();
    EXPECT_EQ(CountContaining(entries, QStringLiteral("Break Signal Found. Date = ")), 1);
    EXPECT_EQ(CountContaining(entries, QStringLiteral("Parity Error. Date = ")), 1);

    // Send buffer full while connecting is ignored entirely.
    engine.setLinkState(2);
    const int lines = rig.logLines().size();
    engine.onLineError(LinkTransport::SendBufferFullError);
    EXPECT_EQ(rig.logLines().size(), lines);
    EXPECT_EQ(engine.LineErrorCount(), 2);
    engine.setLinkState(3);
    engine.onLineError(LinkTransport::SendBufferFullError);
    EXPECT_EQ(engine.LineErrorCount(), 3);
    EXPECT_EQ(CountContaining(rig.logEntries(), QStringLiteral("Send Buffer Over Flow. Date = ")),
              1);

    // Data arriving clears the count.
    rig.peer.push("x");
    rig.clock.settle();
    EXPECT_EQ(engine.LineErrorCount(), 0);
}

TEST(Engine, DisConnectStopsWithoutClosing) {
    Rig rig;
    ASSERT_TRUE(rig.connect());
    EXPECT_FALSE(rig.link.DisConnect());
    EXPECT_EQ(rig.link.Status(), 2);
    EXPECT_TRUE(rig.link.PortOpen());
    EXPECT_TRUE(rig.link.Connected());
}
