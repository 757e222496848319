// The state file: a readable, complete JSON form of the detector.
#include "SimTestUtil.h"

#include "common/TestSupport.h"

#include <QJsonDocument>
#include <gtest/gtest.h>

using namespace simtest;

TEST(SimStateFile, RoundTripKeepsEverything) {
    SimState s = SimState::Defaults();
    s.serialNo = QStringLiteral("SN-77");
    s.userList[127] = QStringLiteral("LAST USER");
    s.Intervals = 60;
    s.UserPassword2 = QStringLiteral("0042");
    s.channels[3].enabled = false;
    s.channels[1].alarm = 18.5;
    s.channels[2].calibDate = QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5));
    s.library[30].name = QStringLiteral("LAST");
    s.library[30].ratio = 3.25f;
    s.lsIndex = 4;
    s.clockOffsetSecs = -3600;
    s.analogValues[6] = 0xFFFF;
    s.loggerContent = SimLoggerContent::Check;
    s.powerDataErased = true;

    testsupport::ScratchDir dir;
    const QString path = dir.file(QStringLiteral("state.json"));
    ASSERT_TRUE(s.save(path));
    SimState back = SimState::Defaults();
    QString error;
    ASSERT_TRUE(SimState::load(path, back, &error)) << error.toStdString();
    EXPECT_EQ(back.toJson(), s.toJson());
    EXPECT_EQ(back.userList[127], QStringLiteral("LAST USER"));
    EXPECT_FALSE(back.channels[3].enabled);
    EXPECT_FLOAT_EQ(back.library[30].ratio, 3.25f);
    // Memory contents are rebuilt from their markers.
    EXPECT_EQ(back.logger.at(0), char(0x5A));
    EXPECT_EQ(back.powerData, QByteArray(4096, char(0xFF)));

    // The file is readable: named settings, not a blob.
    const QByteArray text = testsupport::ReadAll(path);
    EXPECT_TRUE(text.contains("\"Intervals\": 60"));
    EXPECT_TRUE(text.contains("\"loggerContent\": \"check\""));
    EXPECT_LT(text.size(), 64 * 1024);
}

TEST(SimStateFile, MalformedFilesAreRefused) {
    testsupport::ScratchDir dir;
    auto tryLoad = [&](const QByteArray& content, QString* error) {
        const QString path = dir.file(QStringLiteral("bad.json"));
        EXPECT_TRUE(testsupport::WriteAll(path, content));
        SimState s = SimState::Defaults();
        const bool ok = SimState::load(path, s, error);
        EXPECT_EQ(s.serialNo, SimState::Defaults().serialNo); // untouched on failure
        return ok;
    };
    QString e;
    EXPECT_FALSE(tryLoad("not json", &e));
    EXPECT_FALSE(tryLoad("[1,2]", &e));
    EXPECT_FALSE(tryLoad(R"({"serialNo": "123456789012345678901"})", &e));
    EXPECT_TRUE(e.contains(QStringLiteral("serialNo")));
    EXPECT_FALSE(tryLoad(R"({"serialNo": "A,B"})", &e));
    EXPECT_FALSE(tryLoad(R"({"channels": [{}, {}]})", &e));
    EXPECT_FALSE(tryLoad(R"({"settings": {"Intervals": "300"}})", &e));
    EXPECT_FALSE(tryLoad(R"({"settings": {"Intervals": 1.5}})", &e));
    EXPECT_FALSE(tryLoad(R"({"loggerContent": "random"})", &e));
    EXPECT_FALSE(tryLoad(R"({"channels": [{"point": 9},{},{},{},{}]})", &e));
    // A partial file is fine: missing members keep their defaults.
    EXPECT_TRUE(tryLoad(R"({"specNo": "SP-1"})", &e));
    SimState s = SimState::Defaults();
    QString err;
    EXPECT_FALSE(SimState::load(dir.file(QStringLiteral("missing.json")), s, &err));
}
