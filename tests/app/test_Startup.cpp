#include "app/Startup.h"

#include <gtest/gtest.h>

// The debug and factory switches, matched anywhere in the arguments joined
// with blanks, in any case. Debug follows the arguments; factory is only
// ever switched on.
TEST(StartupSwitches, MatchedAnywhereInAnyCase) {
    const struct {
        QStringList args;
        bool debug, factory;
    } cases[] = {
        {{"file.seq", "/x", "-debug"}, true, false},
        {{"-DEBUG-SEIZO"}, true, true},                         // together without a blank
        {{"--port", "/dev/x-Debug", "abc-sEiZo1"}, true, true}, // inside other arguments
        {{"-DEBU", "G", "SEIZO", "-SEIZ"}, false, false},
        {{"-DE", "BUG"}, false, false}, // never formed across two arguments
        {{}, false, false},
    };
    for (const auto& c : cases) {
        for (const bool before : {false, true}) {
            AppSettings settings;
            settings.DebugMode = settings.FactoryMode = before;
            ParseStartupSwitches(c.args, settings);
            EXPECT_EQ(settings.DebugMode, c.debug) << c.args.join(' ').toStdString();
            EXPECT_EQ(settings.FactoryMode, c.factory || before) << c.args.join(' ').toStdString();
        }
    }
}

TEST(StartupOptions, ReadsOwnOptionsAndLeavesTheSwitchesAndToolkitOptions) {
    StartupOptions options;
    QString error;
    ASSERT_TRUE(ParseStartupOptions({"-SEIZO", "--lang", "JA", "--port", "/dev/pts/7", "-debug"},
                                    options, &error))
        << error.toStdString();
    EXPECT_EQ(options.language, "ja");
    EXPECT_EQ(options.port, "/dev/pts/7");
    EXPECT_FALSE(options.demo);
    EXPECT_FALSE(options.hasSocket());
    CatalogueLanguage language = CatalogueLanguage::English;
    EXPECT_TRUE(StartupLanguage(options, language));
    EXPECT_EQ(language, CatalogueLanguage::Japanese);

    ASSERT_TRUE(ParseStartupOptions(
        {"--socket=localhost:7350", "--lang=en", "-platform", "offscreen", "--lang=ja", "-reverse"},
        options, &error));
    EXPECT_EQ(options.socketHost, "localhost");
    EXPECT_EQ(options.socketPort, 7350);
    EXPECT_EQ(options.socketEndpoint(), "localhost:7350");
    EXPECT_EQ(options.language, "ja"); // the later one wins
    EXPECT_TRUE(options.port.isEmpty());

    ASSERT_TRUE(ParseStartupOptions({"--socket", "[::1]:9000"}, options, &error));
    EXPECT_EQ(options.socketHost, "::1");
    EXPECT_EQ(options.socketEndpoint(), "[::1]:9000");

    ASSERT_TRUE(ParseStartupOptions({"--demo", "--help"}, options, &error));
    EXPECT_TRUE(options.demo);
    EXPECT_TRUE(options.help);
    EXPECT_FALSE(options.version);
    EXPECT_FALSE(StartupLanguage(options, language));

    ASSERT_TRUE(ParseStartupOptions({"--version", "--lang", "ja"}, options, &error));
    EXPECT_TRUE(options.version);
    EXPECT_FALSE(options.help);
    EXPECT_EQ(options.language, "ja");
}

TEST(StartupOptions, RejectsBadValuesWithoutTouchingTheResult) {
    const QList<QStringList> bad = {
        {"--lang"},
        {"--lang", "de"},
        {"--port"},
        {"--port", "--demo"},
        {"--port="},
        {"--socket", "localhost"},
        {"--socket", "localhost:0"},
        {"--socket", "localhost:65536"},
        {"--socket", ":7350"},
        {"--socket", "host:73a"},
        {"--socket", "::1:7350"},
        {"--socket", "[nohost]:7350"},
        {"--demo=yes"},
        {"--version=2"},
        {"--demo", "--port", "/dev/ttyUSB0"},
        {"--port", "/dev/ttyUSB0", "--socket", "h:1"},
        // A mistyped option must not start the program on the real adapter.
        {"--dmeo"},
        {"--Demo"},
        {"demo"},
        {"-demo"},
    };
    for (const QStringList& args : bad) {
        StartupOptions options;
        options.port = "kept";
        QString error;
        EXPECT_FALSE(ParseStartupOptions(args, options, &error)) << args.join(' ').toStdString();
        EXPECT_FALSE(error.isEmpty()) << args.join(' ').toStdString();
        EXPECT_EQ(options.port, "kept") << args.join(' ').toStdString();
    }
    // No error sink is fine too.
    StartupOptions options;
    EXPECT_FALSE(ParseStartupOptions({"--lang", "fr"}, options, nullptr));
}
