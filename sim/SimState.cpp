#include "sim/SimState.h"

#include "sim/CheckPattern.h"
#include "sim/SimProtocol.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>
#include <cmath>

const QList<SimIntSetting>& SimIntSettings() {
    static const QList<SimIntSetting> list = {
        {"Intervals", &SimState::Intervals},
        {"CalLimit", &SimState::CalLimit},
        {"LcdBackLight", &SimState::LcdBackLight},
        {"BumpLimit", &SimState::BumpLimit},
        {"FlowLevel", &SimState::FlowLevel},
        {"pressOffset", &SimState::pressOffset},
        {"DispID", &SimState::DispID},
        {"dlogOnOff", &SimState::dlogOnOff},
        {"PumpOnOffDisp", &SimState::PumpOnOffDisp},
        {"PeakBar", &SimState::PeakBar},
        {"Confirmation", &SimState::Confirmation},
        {"HcMode", &SimState::HcMode},
        {"AlarmMode", &SimState::AlarmMode},
        {"DispCalLimit", &SimState::DispCalLimit},
        {"CalCheck", &SimState::CalCheck},
        {"CalCheckALL", &SimState::CalCheckALL},
        {"BumpCheckALL", &SimState::BumpCheckALL},
        {"LunchBreak", &SimState::LunchBreak},
        {"AlarmSilence", &SimState::AlarmSilence},
        {"LogOverWrite", &SimState::LogOverWrite},
        {"Lc_PpmAuto", &SimState::Lc_PpmAuto},
        {"IsCustom", &SimState::IsCustom},
        {"BumpFunction", &SimState::BumpFunction},
        {"BumpCheck", &SimState::BumpCheck},
        {"DispBumpLimit", &SimState::DispBumpLimit},
        {"BumpTime", &SimState::BumpTime},
        {"BumpThreshold", &SimState::BumpThreshold},
        {"BumpFailCalTime", &SimState::BumpFailCalTime},
        {"BumpFailAfter", &SimState::BumpFailAfter},
        {"LcBhMode", &SimState::LcBhMode},
        {"BhTime", &SimState::BhTime},
        {"LcBuzzer", &SimState::LcBuzzer},
        {"AlarmO2", &SimState::AlarmO2},
        {"AlarmOnOff", &SimState::AlarmOnOff},
        {"StelTwaOnOff", &SimState::StelTwaOnOff},
        {"DemandZero", &SimState::DemandZero},
        {"AutoZero", &SimState::AutoZero},
        {"SpecType", &SimState::SpecType},
        {"UseUserPassword", &SimState::UseUserPassword},
        {"Battery", &SimState::Battery},
        {"SHmode", &SimState::SHmode},
        {"shWetDry", &SimState::shWetDry},
        {"pump", &SimState::pump},
    };
    return list;
}

namespace {

QDateTime At(int y, int mo, int d, int h, int mi, int s) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

SimChannel Channel(const char* name, double fs, double step, int point, const char* unit,
                   double warn, double alarm, double stel, double twa, double autoCal, int zero,
                   double base, double noise) {
    SimChannel c;
    c.enabled = true;
    c.name = QString::fromLatin1(name);
    c.fullScale = fs;
    c.step = step;
    c.point = point;
    c.unit = QString::fromLatin1(unit);
    c.warning = warn;
    c.alarm = alarm;
    c.stel = stel;
    c.twa = twa;
    c.autoCalib = autoCal;
    c.zero = zero;
    c.baseReading = base;
    c.noise = noise;
    return c;
}

SimLibraryEntry Entry(const char* name, double fs, double step, int point, const char* unit,
                      float ratio) {
    SimLibraryEntry e;
    e.name = QString::fromLatin1(name);
    e.fullScale = fs;
    e.step = step;
    e.point = point;
    e.unit = QString::fromLatin1(unit);
    e.ratio = ratio;
    return e;
}

SimLibraryEntry Unused() {
    return Entry("----------", 0, 0, 0, "", 0.0f);
}

// The settings part of the factory defaults (everything restoreFactorySettings resets).
void ApplyFactorySettings(SimState& s) {
    s.stationId = QStringLiteral("STATION-01");
    s.userId = QStringLiteral("USER-01");
    for (int i = 0; i < kSimListEntries; ++i) {
        s.stationList[size_t(i)] = QString(16, QLatin1Char('-'));
        s.userList[size_t(i)] = QString(16, QLatin1Char('-'));
    }
    s.stationList[0] = QStringLiteral("STATION-01");
    s.stationList[1] = QStringLiteral("TANK YARD A");
    s.stationList[2] = QStringLiteral("PUMP ROOM 2");
    s.userList[0] = QStringLiteral("USER-01");
    s.userList[1] = QStringLiteral("K. TANAKA");
    s.userList[2] = QStringLiteral("M. SATO");

    s.Intervals = 300;
    s.CalLimit = 180;
    s.LcdBackLight = 30;
    s.BumpLimit = 30;
    s.FlowLevel = 0x0180;
    s.pressOffset = 0x10;
    s.DispID = 1;
    s.dlogOnOff = 0;
    s.PumpOnOffDisp = 1;
    s.PeakBar = 0;
    s.Confirmation = 1;
    s.HcMode = 0;
    s.AlarmMode = 0;
    s.DispCalLimit = 1;
    s.CalCheck = 0;
    s.CalCheckALL = 1;
    s.BumpCheckALL = 1;
    s.LunchBreak = 0;
    s.AlarmSilence = 0;
    s.LogOverWrite = 1;
    s.Lc_PpmAuto = 0;
    s.IsCustom = 0;
    s.BumpFunction = 1;
    s.BumpCheck = 2;
    s.DispBumpLimit = 0;
    s.BumpTime = 2;
    s.BumpThreshold = 1;
    s.BumpFailCalTime = 0;
    s.BumpFailAfter = 1;
    s.LcBhMode = 0;
    s.BhTime = 0;
    s.LcBuzzer = 0;
    s.AlarmO2 = 1;
    s.AlarmOnOff = 1;
    s.StelTwaOnOff = 1;
    s.DemandZero = 0;
    s.AutoZero = 0;
    s.SpecType = 0;
    s.UseUserPassword = 0;
    s.UserPassword2 = QStringLiteral("7563");

    auto keepHistory = s.channels;
    s.channels[0] =
        Channel("CH4", 100, 1, 0, "%LEL", 10, 50, kSimNoValue, kSimNoValue, 50, 1, 0.0, 1.0);
    s.channels[1] = Channel("O2", 25.0, 0.1, 1, "vol%", 19.5, 18.0, kSimNoValue, kSimNoValue, 12.0,
                            0, 20.9, 0.1);
    s.channels[2] = Channel("CO", 500, 1, 0, "ppm", 25, 50, 200, 25, 50, 1, 0.0, 1.0);
    s.channels[3] = Channel("H2S", 100.0, 0.1, 1, "ppm", 10.0, 30.0, 15.0, 10.0, 25.0, 1, 0.0, 0.1);
    s.channels[4] = Channel("CH4", 100, 1, 0, "vol%", kSimNoValue, kSimNoValue, kSimNoValue,
                            kSimNoValue, 50, 1, 0.0, 0.0);
    for (int i = 0; i < kSimChannels; ++i) {
        auto& c = s.channels[size_t(i)];
        const auto& h = keepHistory[size_t(i)];
        c.calibDate = h.calibDate;
        c.calibBefore = h.calibBefore;
        c.calibAfter = h.calibAfter;
        c.bumpDate = h.bumpDate;
        c.bumpResult = h.bumpResult;
        c.bumpConcentration = h.bumpConcentration;
    }

    s.lsIndex = 1;
    s.lsPair[0] = s.library[1];
    s.lsPair[1] = s.library[16];
    s.SHmode = 0;
    s.shWetDry = 0;
    s.pump = 0;
}

} // namespace

SimState SimState::Defaults() {
    SimState s;
    s.modelName = QStringLiteral("TQ-7350");
    s.serialNo = QStringLiteral("TQ7350-2403-00127");
    s.dummySerial = QStringLiteral("M240300127");
    s.specNo = QStringLiteral("SP-0415");
    s.romNumber = 4152;
    s.sum = QStringLiteral("A5C3");
    s.Battery = 0;

    // Sensor library: combustible gases in %LEL at entries 1..8, the same
    // gases in volume units at entries 16..23, the rest unused.
    for (auto& e : s.library)
        e = Unused();
    struct G {
        const char* name;
        float ratio;
        double volFs;
        double volStep;
        int volPoint;
    };
    const G gases[] = {{"CH4", 1.00f, 100, 1, 0},     {"i-C4H10", 1.62f, 2.0, 0.1, 1},
                       {"H2", 1.15f, 4.0, 0.1, 1},    {"n-C6H14", 2.10f, 1.2, 0.1, 1},
                       {"CH3OH", 1.30f, 6.0, 0.1, 1}, {"C2H2", 1.45f, 2.5, 0.1, 1},
                       {"C7H8", 2.30f, 1.2, 0.1, 1},  {"MEK", 2.20f, 1.8, 0.1, 1}};
    for (int i = 0; i < 8; ++i) {
        const G& g = gases[i];
        s.library[size_t(i + 1)] = Entry(g.name, 100, 1, 0, "%LEL", g.ratio);
        s.library[size_t(i + 16)] = Entry(g.name, g.volFs, g.volStep, g.volPoint, "vol%", g.ratio);
    }

    s.clockOffsetSecs = -42;
    s.analogValues = {0x0812, 0x07F0, 0x0A33, 0x0C10, 0x0400, 0x0B8E, 0x0123};
    s.adrealValue = 2.5f;

    // Histories: every channel was calibrated and bump-tested once.
    const QDateTime cal[5] = {At(2025, 3, 14, 10, 22, 5), At(2025, 3, 14, 10, 22, 5),
                              At(2025, 3, 14, 10, 24, 40), At(2025, 3, 14, 10, 24, 40),
                              At(2025, 3, 14, 10, 22, 5)};
    const char* before[5] = {"   48", " 20.7", "   47", " 24.1", "   49"};
    const char* after[5] = {"   50", " 20.9", "   50", " 25.0", "   50"};
    const char* bumpRes[5] = {"   49", " 12.1", "   51", " FAIL", "   50"};
    const char* bumpCon[5] = {"   50", " 12.0", "   50", " 25.0", "   50"};
    for (int i = 0; i < kSimChannels; ++i) {
        auto& c = s.channels[size_t(i)];
        c.calibDate = cal[i];
        c.calibBefore = QString::fromLatin1(before[i]);
        c.calibAfter = QString::fromLatin1(after[i]);
        c.bumpDate = At(2025, 6, 2, 8, 15, 30 + i);
        c.bumpResult = QString::fromLatin1(bumpRes[i]);
        c.bumpConcentration = QString::fromLatin1(bumpCon[i]);
    }
    ApplyFactorySettings(s);
    s.channels[0].overScale = 0;

    s.loggerContent = SimLoggerContent::Default;
    s.powerDataErased = false;
    s.rebuildMemory();
    return s;
}

void SimState::restoreFactorySettings() {
    ApplyFactorySettings(*this);
}

void SimState::rebuildMemory() {
    switch (loggerContent) {
    case SimLoggerContent::Check:
        logger = CheckImage();
        break;
    case SimLoggerContent::Erased:
        logger = QByteArray(kSimLoggerBytes, char(0xFF));
        break;
    case SimLoggerContent::Default: {
        // 2048 interval records of 16 bytes: YY MM DD hh mm ss, then five
        // readings as 16-bit big-endian tenths; the rest is erased flash.
        logger = QByteArray(kSimLoggerBytes, char(0xFF));
        const QDateTime start = At(2025, 6, 2, 8, 0, 0);
        for (int r = 0; r < 2048; ++r) {
            const QDateTime t = start.addSecs(qint64(r) * 300);
            const int base = r * 16;
            const int fields[6] = {t.date().year() % 100, t.date().month(),  t.date().day(),
                                   t.time().hour(),       t.time().minute(), t.time().second()};
            for (int k = 0; k < 6; ++k)
                logger[base + k] = char(fields[k]);
            const int readings[5] = {r % 3, 209 - (r % 2), r % 5, (r * 7) % 4, 0};
            for (int ch = 0; ch < 5; ++ch) {
                logger[base + 6 + ch * 2] = char((readings[ch] >> 8) & 0xFF);
                logger[base + 7 + ch * 2] = char(readings[ch] & 0xFF);
            }
        }
        break;
    }
    }
    powerData = QByteArray(kSimPowerDataBytes, char(0xFF));
    if (!powerDataErased) {
        // 256 power records of 8 bytes: day number, on minutes, battery mV.
        for (int r = 0; r < 256; ++r) {
            const int base = r * 8;
            const int mv = 3000 - (r % 40) * 5;
            powerData[base + 0] = char(r & 0xFF);
            powerData[base + 1] = char(0);
            powerData[base + 2] = char(((480 + r) >> 8) & 0xFF);
            powerData[base + 3] = char((480 + r) & 0xFF);
            powerData[base + 4] = char((mv >> 8) & 0xFF);
            powerData[base + 5] = char(mv & 0xFF);
            powerData[base + 6] = char(0);
            powerData[base + 7] = char(0);
        }
    }
}

QByteArray SimState::parameterMemory() const {
    using namespace simproto;
    QByteArray m(kSimParamBytes, char(0xFF));
    auto put = [&m](int at, const QByteArray& bytes) {
        for (int i = 0; i < bytes.size() && at + i < m.size(); ++i)
            m[at + i] = bytes.at(i);
    };
    put(0x0000, PadText(modelName, 16));
    put(0x0010, PadText(serialNo, 20));
    put(0x0024, PadText(dummySerial, 20));
    put(0x0038, PadText(specNo, 10));
    put(0x0042, PadText(stationId, 16));
    put(0x0052, PadText(userId, 16));
    put(0x0080,
        PadText(QStringLiteral("ROM=%1 SUM=%2").arg(romNumber, 5, 10, QLatin1Char('0')).arg(sum),
                32));
    for (int i = 0; i < kSimChannels; ++i) {
        const SimChannel& c = channels[size_t(i)];
        QByteArray rec;
        if (!c.enabled)
            rec = QByteArray(25, '*');
        else
            rec = PadText(c.name, 11) + Val5(c.fullScale, c.point) + Val5(c.step, c.point) +
                  PadText(c.unit, 4);
        put(0x0100 + i * 25, rec);
        put(0x0180 + i * 25, Val5(c.warning, c.point) + Val5(c.alarm, c.point) +
                                 Val5(c.stel, c.point) + Val5(c.twa, c.point) +
                                 Val5(c.autoCalib, c.point));
    }
    int at = 0x0200;
    for (const SimIntSetting& s : SimIntSettings())
        m[at++] = char((this->*s.member) & 0xFF);
    put(0x0280, PadText(UserPassword2, 4));
    for (int i = 0; i < kSimListEntries; ++i) {
        put(0x0800 + i * 16, PadText(stationList[size_t(i)], 16));
        put(0x1000 + i * 16, PadText(userList[size_t(i)], 16));
    }
    return m;
}

// --- JSON ------------------------------------------------------------------

namespace {

const char* kDateFormat = "yyyy-MM-dd HH:mm:ss";

QString LoggerName(SimLoggerContent c) {
    switch (c) {
    case SimLoggerContent::Check:
        return QStringLiteral("check");
    case SimLoggerContent::Erased:
        return QStringLiteral("erased");
    case SimLoggerContent::Default:
        break;
    }
    return QStringLiteral("default");
}

QJsonObject EntryJson(const SimLibraryEntry& e) {
    return QJsonObject{{"name", e.name},   {"fullScale", e.fullScale}, {"step", e.step},
                       {"point", e.point}, {"unit", e.unit},           {"ratio", double(e.ratio)}};
}

// Reader that remembers the first problem it met.
struct Reader {
    QString error;

    bool fail(const QString& what) {
        if (error.isEmpty())
            error = what;
        return false;
    }
    void text(const QJsonObject& o, const char* key, int maxLen, QString& out) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined())
            return;
        if (!v.isString()) {
            fail(QStringLiteral("\"%1\" must be a text").arg(QLatin1String(key)));
            return;
        }
        const QString t = v.toString();
        bool printable = true;
        for (QChar c : t)
            if (c.unicode() < 0x20 || c.unicode() > 0x7E || c == QLatin1Char(','))
                printable = false;
        if (t.size() > maxLen || !printable) {
            fail(QStringLiteral("\"%1\" must be at most %2 printable characters without commas")
                     .arg(QLatin1String(key))
                     .arg(maxLen));
            return;
        }
        out = t;
    }
    void integer(const QJsonObject& o, const char* key, int lo, int hi, int& out) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined())
            return;
        const double d = v.toDouble(std::nan(""));
        if (!v.isDouble() || d != std::floor(d) || d < lo || d > hi) {
            fail(QStringLiteral("\"%1\" must be a whole number from %2 to %3")
                     .arg(QLatin1String(key))
                     .arg(lo)
                     .arg(hi));
            return;
        }
        out = int(d);
    }
    void number(const QJsonObject& o, const char* key, double lo, double hi, double& out) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined())
            return;
        if (!v.isDouble() || v.toDouble() < lo || v.toDouble() > hi) {
            fail(QStringLiteral("\"%1\" must be a number from %2 to %3")
                     .arg(QLatin1String(key))
                     .arg(lo)
                     .arg(hi));
            return;
        }
        out = v.toDouble();
    }
    void date(const QJsonObject& o, const char* key, QDateTime& out) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined())
            return;
        const QDateTime d = QDateTime::fromString(v.toString(), QLatin1String(kDateFormat));
        if (!d.isValid() || d.date().year() < 1930 || d.date().year() > 2029) {
            fail(QStringLiteral("\"%1\" must be a date \"%2\" from 1930 to 2029")
                     .arg(QLatin1String(key))
                     .arg(QLatin1String(kDateFormat)));
            return;
        }
        out = d;
    }
    void field5(const QJsonObject& o, const char* key, QString& out) {
        QString t = out;
        text(o, key, 5, t);
        if (t.size() != 5) {
            fail(QStringLiteral("\"%1\" must be exactly 5 characters").arg(QLatin1String(key)));
            return;
        }
        out = t;
    }
    void entry(const QJsonObject& o, SimLibraryEntry& e) {
        text(o, "name", 10, e.name);
        number(o, "fullScale", 0, 99999, e.fullScale);
        number(o, "step", 0, 99999, e.step);
        integer(o, "point", 0, 3, e.point);
        text(o, "unit", 4, e.unit);
        double r = double(e.ratio);
        number(o, "ratio", -1e30, 1e30, r);
        e.ratio = float(r);
    }
};

} // namespace

QJsonObject SimState::toJson() const {
    QJsonObject o;
    o["modelName"] = modelName;
    o["serialNo"] = serialNo;
    o["dummySerial"] = dummySerial;
    o["specNo"] = specNo;
    o["stationId"] = stationId;
    o["userId"] = userId;
    QJsonArray st, us;
    for (int i = 0; i < kSimListEntries; ++i) {
        st.append(stationList[size_t(i)]);
        us.append(userList[size_t(i)]);
    }
    o["stationList"] = st;
    o["userList"] = us;
    o["romNumber"] = romNumber;
    o["sum"] = sum;

    QJsonObject settings;
    for (const SimIntSetting& s : SimIntSettings())
        settings[QLatin1String(s.name)] = this->*s.member;
    settings["UserPassword2"] = UserPassword2;
    o["settings"] = settings;

    QJsonArray chans;
    for (const SimChannel& c : channels) {
        QJsonObject j;
        j["enabled"] = c.enabled;
        j["name"] = c.name;
        j["fullScale"] = c.fullScale;
        j["step"] = c.step;
        j["point"] = c.point;
        j["unit"] = c.unit;
        j["warning"] = c.warning;
        j["alarm"] = c.alarm;
        j["stel"] = c.stel;
        j["twa"] = c.twa;
        j["autoCalib"] = c.autoCalib;
        j["zero"] = c.zero;
        j["overScale"] = c.overScale;
        j["calibDate"] = c.calibDate.toString(QLatin1String(kDateFormat));
        j["calibBefore"] = c.calibBefore;
        j["calibAfter"] = c.calibAfter;
        j["bumpDate"] = c.bumpDate.toString(QLatin1String(kDateFormat));
        j["bumpResult"] = c.bumpResult;
        j["bumpConcentration"] = c.bumpConcentration;
        j["baseReading"] = c.baseReading;
        j["noise"] = c.noise;
        chans.append(j);
    }
    o["channels"] = chans;

    QJsonArray lib;
    for (const SimLibraryEntry& e : library)
        lib.append(EntryJson(e));
    o["library"] = lib;
    o["lsIndex"] = lsIndex;
    o["lsPair"] = QJsonArray{EntryJson(lsPair[0]), EntryJson(lsPair[1])};

    o["clockOffsetSecs"] = double(clockOffsetSecs);
    QJsonArray an;
    for (int v : analogValues)
        an.append(v);
    o["analogValues"] = an;
    o["adrealValue"] = double(adrealValue);
    o["loggerContent"] = LoggerName(loggerContent);
    o["powerDataErased"] = powerDataErased;
    return o;
}

bool SimState::fromJson(const QJsonObject& o, SimState& out, QString* error) {
    Reader r;
    SimState s = out;
    r.text(o, "modelName", 16, s.modelName);
    r.text(o, "serialNo", 20, s.serialNo);
    r.text(o, "dummySerial", 20, s.dummySerial);
    r.text(o, "specNo", 10, s.specNo);
    r.text(o, "stationId", 16, s.stationId);
    r.text(o, "userId", 16, s.userId);
    auto list = [&r, &o](const char* key, std::array<QString, kSimListEntries>& dst) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined())
            return;
        const QJsonArray a = v.toArray();
        if (!v.isArray() || a.size() != kSimListEntries) {
            r.fail(QStringLiteral("\"%1\" must be a list of %2 texts")
                       .arg(QLatin1String(key))
                       .arg(kSimListEntries));
            return;
        }
        for (int i = 0; i < kSimListEntries; ++i) {
            QJsonObject one{{"entry", a.at(i)}};
            r.text(one, "entry", 16, dst[size_t(i)]);
        }
    };
    list("stationList", s.stationList);
    list("userList", s.userList);
    r.integer(o, "romNumber", 0, 99999, s.romNumber);
    r.text(o, "sum", 8, s.sum);

    const QJsonObject settings = o.value(QLatin1String("settings")).toObject();
    for (const SimIntSetting& is : SimIntSettings())
        r.integer(settings, is.name, 0, 65535, s.*is.member);
    r.text(settings, "UserPassword2", 4, s.UserPassword2);

    const QJsonValue chv = o.value(QLatin1String("channels"));
    if (!chv.isUndefined()) {
        const QJsonArray a = chv.toArray();
        if (!chv.isArray() || a.size() != kSimChannels)
            r.fail(QStringLiteral("\"channels\" must be a list of 5 objects"));
        for (int i = 0; i < kSimChannels && i < a.size(); ++i) {
            const QJsonObject j = a.at(i).toObject();
            SimChannel& c = s.channels[size_t(i)];
            if (j.contains(QLatin1String("enabled")))
                c.enabled = j.value(QLatin1String("enabled")).toBool();
            r.text(j, "name", 11, c.name);
            r.number(j, "fullScale", 0, 99999, c.fullScale);
            r.number(j, "step", 0, 99999, c.step);
            r.integer(j, "point", 0, 3, c.point);
            r.text(j, "unit", 4, c.unit);
            r.number(j, "warning", -101, 99999, c.warning);
            r.number(j, "alarm", -101, 99999, c.alarm);
            r.number(j, "stel", -101, 99999, c.stel);
            r.number(j, "twa", -101, 99999, c.twa);
            r.number(j, "autoCalib", -101, 99999, c.autoCalib);
            r.integer(j, "zero", 0, 1, c.zero);
            r.integer(j, "overScale", 0, 1, c.overScale);
            r.date(j, "calibDate", c.calibDate);
            r.field5(j, "calibBefore", c.calibBefore);
            r.field5(j, "calibAfter", c.calibAfter);
            r.date(j, "bumpDate", c.bumpDate);
            r.field5(j, "bumpResult", c.bumpResult);
            r.field5(j, "bumpConcentration", c.bumpConcentration);
            r.number(j, "baseReading", 0, 99999, c.baseReading);
            r.number(j, "noise", 0, 99999, c.noise);
        }
    }
    const QJsonValue libv = o.value(QLatin1String("library"));
    if (!libv.isUndefined()) {
        const QJsonArray a = libv.toArray();
        if (!libv.isArray() || a.size() != kSimLibraryEntries)
            r.fail(
                QStringLiteral("\"library\" must be a list of %1 objects").arg(kSimLibraryEntries));
        for (int i = 0; i < kSimLibraryEntries && i < a.size(); ++i)
            r.entry(a.at(i).toObject(), s.library[size_t(i)]);
    }
    r.integer(o, "lsIndex", 1, 15, s.lsIndex);
    const QJsonValue lsv = o.value(QLatin1String("lsPair"));
    if (!lsv.isUndefined()) {
        const QJsonArray a = lsv.toArray();
        if (!lsv.isArray() || a.size() != 2)
            r.fail(QStringLiteral("\"lsPair\" must be a list of 2 objects"));
        for (int i = 0; i < 2 && i < a.size(); ++i)
            r.entry(a.at(i).toObject(), s.lsPair[size_t(i)]);
    }
    double off = double(s.clockOffsetSecs);
    r.number(o, "clockOffsetSecs", -3.0e9, 3.0e9, off);
    s.clockOffsetSecs = qint64(off);
    const QJsonValue anv = o.value(QLatin1String("analogValues"));
    if (!anv.isUndefined()) {
        const QJsonArray a = anv.toArray();
        if (!anv.isArray() || a.size() != 7)
            r.fail(QStringLiteral("\"analogValues\" must be a list of 7 numbers"));
        for (int i = 0; i < 7 && i < a.size(); ++i) {
            QJsonObject one{{"value", a.at(i)}};
            r.integer(one, "value", 0, 65535, s.analogValues[size_t(i)]);
        }
    }
    double ad = double(s.adrealValue);
    r.number(o, "adrealValue", -1e30, 1e30, ad);
    s.adrealValue = float(ad);
    const QJsonValue lc = o.value(QLatin1String("loggerContent"));
    if (!lc.isUndefined()) {
        const QString n = lc.toString();
        if (n == QLatin1String("default"))
            s.loggerContent = SimLoggerContent::Default;
        else if (n == QLatin1String("check"))
            s.loggerContent = SimLoggerContent::Check;
        else if (n == QLatin1String("erased"))
            s.loggerContent = SimLoggerContent::Erased;
        else
            r.fail(
                QStringLiteral("\"loggerContent\" must be \"default\", \"check\" or \"erased\""));
    }
    if (o.contains(QLatin1String("powerDataErased")))
        s.powerDataErased = o.value(QLatin1String("powerDataErased")).toBool();

    if (!r.error.isEmpty()) {
        if (error)
            *error = r.error;
        return false;
    }
    s.rebuildMemory();
    out = s;
    return true;
}

bool SimState::save(const QString& path, QString* error) const {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) {
        if (error)
            *error = f.errorString();
        return false;
    }
    f.write(QJsonDocument(toJson()).toJson(QJsonDocument::Indented));
    if (!f.commit()) {
        if (error)
            *error = f.errorString();
        return false;
    }
    return true;
}

bool SimState::load(const QString& path, SimState& out, QString* error) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = f.errorString();
        return false;
    }
    if (f.size() > 16 * 1024 * 1024) {
        if (error)
            *error = QStringLiteral("state file is too large");
        return false;
    }
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(f.readAll(), &pe);
    if (pe.error != QJsonParseError::NoError || !doc.isObject()) {
        if (error)
            *error = pe.error != QJsonParseError::NoError ? pe.errorString()
                                                          : QStringLiteral("not a JSON object");
        return false;
    }
    return fromJson(doc.object(), out, error);
}
