// The command set from the detector's side: every read answered with its
// field layout, every write checked strictly and staged until the commit.
// Each group of codes has one handler; dispatch() finds it in a table built
// from the groups' own tables (settings, texts, lists, channel values,
// multi-value settings) and the list of the remaining groups.
#include "sim/SimDetectorPrivate.h"

#include <algorithm>
#include <cmath>

using namespace simproto;

namespace {

// How a scalar setting travels in a write request.
enum class WEnc { Dec, Digit, Hex2, Hex4 };
// How a scalar setting travels in a read answer (and in the write echo).
enum class REnc { Dec, Hex, Hex4 };

struct Scalar {
    const char* code;
    int SimState::*member;
    WEnc w;
    REnc r;
    int lo, hi;
};

// Dec and Fmt0 parameters both arrive as an unpadded decimal integer.
const Scalar kScalars[] = {
    {"XP", &SimState::Intervals, WEnc::Hex4, REnc::Hex4, 1, 3600},
    {"SC", &SimState::CalLimit, WEnc::Hex4, REnc::Hex4, 1, 365},
    {"XT", &SimState::LcdBackLight, WEnc::Hex4, REnc::Hex4, 0, 255},
    {"BK", &SimState::BumpLimit, WEnc::Hex4, REnc::Hex4, 0, 30},
    {"CP", &SimState::FlowLevel, WEnc::Hex4, REnc::Hex4, 0, 0xFFFF},
    {"XI", &SimState::DispID, WEnc::Dec, REnc::Hex, 0, 1},
    {"X7", &SimState::dlogOnOff, WEnc::Dec, REnc::Hex, 0, 1},
    {"X8", &SimState::PumpOnOffDisp, WEnc::Dec, REnc::Hex, 0, 1},
    {"EB", &SimState::PeakBar, WEnc::Dec, REnc::Hex, 0, 1},
    {"XB", &SimState::Confirmation, WEnc::Dec, REnc::Hex, 0, 1},
    {"LP", &SimState::HcMode, WEnc::Dec, REnc::Dec, 0, 2},
    {"AP", &SimState::AlarmMode, WEnc::Dec, REnc::Dec, 0, 1},
    {"SD", &SimState::DispCalLimit, WEnc::Digit, REnc::Dec, 0, 1},
    {"SM", &SimState::CalCheck, WEnc::Dec, REnc::Dec, 0, 2},
    {"SW", &SimState::CalCheckALL, WEnc::Dec, REnc::Dec, 0, 1},
    {"BW", &SimState::BumpCheckALL, WEnc::Dec, REnc::Dec, 0, 1},
    {"XL", &SimState::LunchBreak, WEnc::Dec, REnc::Dec, 0, 1},
    {"XA", &SimState::AlarmSilence, WEnc::Dec, REnc::Dec, 0, 1},
    {"XW", &SimState::LogOverWrite, WEnc::Dec, REnc::Dec, 0, 1},
    {"LE", &SimState::Lc_PpmAuto, WEnc::Dec, REnc::Dec, 0, 1},
    {"XF", &SimState::IsCustom, WEnc::Dec, REnc::Dec, 0, 1},
    {"BV", &SimState::BumpFunction, WEnc::Dec, REnc::Dec, 0, 1},
    {"BL", &SimState::BumpCheck, WEnc::Dec, REnc::Dec, 0, 2},
    {"BJ", &SimState::DispBumpLimit, WEnc::Dec, REnc::Dec, 0, 1},
    {"AT", &SimState::AlarmO2, WEnc::Dec, REnc::Dec, 0, 2},
    {"AF", &SimState::AlarmOnOff, WEnc::Dec, REnc::Dec, 0, 1},
    {"AM", &SimState::StelTwaOnOff, WEnc::Dec, REnc::Dec, 0, 1},
    {"SG", &SimState::DemandZero, WEnc::Dec, REnc::Dec, 0, 1},
    {"SJ", &SimState::AutoZero, WEnc::Dec, REnc::Dec, 0, 1},
    {"UJ", &SimState::SpecType, WEnc::Dec, REnc::Dec, 0, 4},
};

QByteArray ReadText(REnc r, int v) {
    switch (r) {
    case REnc::Hex:
        return QByteArray::number(v, 16).toUpper();
    case REnc::Hex4:
        return HexFixed(v, 4);
    case REnc::Dec:
        break;
    }
    return QByteArray::number(v);
}

// Strict parse of one scalar parameter; on failure `why` says what is wrong.
bool ParseScalar(const QByteArray& p, WEnc w, int lo, int hi, int* v, QString* why) {
    bool ok = false;
    switch (w) {
    case WEnc::Dec:
        ok = ParseDecStrict(p, v);
        break;
    case WEnc::Digit:
        ok = p.size() == 1 && ParseDecStrict(p, v);
        break;
    case WEnc::Hex2:
        ok = ParseHexFixed(p, 2, v);
        break;
    case WEnc::Hex4:
        ok = ParseHexFixed(p, 4, v);
        break;
    }
    if (!ok) {
        static const char* names[] = {"an unpadded decimal number", "one digit",
                                      "2 upper-case hex digits", "4 upper-case hex digits"};
        *why = QStringLiteral("\"%1\" is not %2")
                   .arg(QString::fromLatin1(p), QLatin1String(names[int(w)]));
        return false;
    }
    if (*v < lo || *v > hi) {
        *why = QStringLiteral("%1 is outside %2..%3").arg(*v).arg(lo).arg(hi);
        return false;
    }
    return true;
}

QByteArray Gas25(const SimChannel& c) {
    if (!c.enabled)
        return QByteArray(25, '*');
    return PadText(c.name, 11) + Val5(c.fullScale, c.point) + Val5(c.step, c.point) +
           PadText(c.unit, 4);
}

// Strict check of a 25-character gas record.
bool ParseGas25(const QByteArray& f, SimChannel* c, QString* why) {
    if (f.size() != 25) {
        *why = QStringLiteral("record of %1 characters, not 25").arg(f.size());
        return false;
    }
    if (f == QByteArray(25, '*')) {
        c->enabled = false;
        return true;
    }
    const QByteArray name = f.left(11), fs = f.mid(11, 5), step = f.mid(16, 5), unit = f.mid(21, 4);
    if (!IsTxtField(name, 11) || name.trimmed().isEmpty() || name.startsWith("---")) {
        *why = QStringLiteral("name \"%1\" is not a gas name").arg(QString::fromLatin1(name));
        return false;
    }
    const int dec = DecimalsOf(step.trimmed());
    double vfs = 0, vstep = 0;
    if (dec > 3 || !ParseVal5(step, dec, &vstep) || vstep <= 0) {
        *why =
            QStringLiteral("step \"%1\" is not a 5-character value").arg(QString::fromLatin1(step));
        return false;
    }
    if (!ParseVal5(fs, dec, &vfs) || vfs <= 0) {
        *why = QStringLiteral("full scale \"%1\" is not a 5-character value with %2 decimals")
                   .arg(QString::fromLatin1(fs))
                   .arg(dec);
        return false;
    }
    if (vstep > vfs) {
        *why = QStringLiteral("step is larger than the full scale");
        return false;
    }
    if (!IsTxtField(unit, 4) || unit.trimmed().isEmpty()) {
        *why = QStringLiteral("unit \"%1\" is not a unit").arg(QString::fromLatin1(unit));
        return false;
    }
    c->enabled = true;
    c->name = QString::fromLatin1(name.trimmed());
    c->fullScale = vfs;
    c->step = vstep;
    c->point = dec;
    c->unit = QString::fromLatin1(unit.trimmed());
    return true;
}

QByteArray LibraryGroup(const SimLibraryEntry& e) {
    return PadText(e.name, 10) + ',' + Val5(e.fullScale, e.point) + ',' + Val5(e.step, e.point) +
           ',' + PadText(e.unit, 4) + ',' + SingleHex(e.ratio);
}

bool IsUnused(const SimLibraryEntry& e) {
    return e.name.trimmed().isEmpty() || e.name.startsWith(QLatin1String("---"));
}

QByteArray Field5(const QString& s) {
    return s.toLatin1().leftJustified(5, ' ', true);
}

QByteArray Stamp(const QDateTime& t) {
    const QDateTime v = t.isValid() ? t : QDateTime(QDate(2000, 1, 1), QTime(0, 0));
    return v.toString(QStringLiteral("yyMMddHHmmss")).toLatin1();
}

// Two-digit years 0..29 are 2000..2029, 30..99 are 1930..1999.
QDateTime ParseStamp(const QByteArray& p) {
    if (p.size() != 12)
        return {};
    for (char c : p)
        if (c < '0' || c > '9')
            return {};
    const int yy = p.left(2).toInt();
    const QDate date(yy < 30 ? 2000 + yy : 1900 + yy, p.mid(2, 2).toInt(), p.mid(4, 2).toInt());
    const QTime time(p.mid(6, 2).toInt(), p.mid(8, 2).toInt(), p.mid(10, 2).toInt());
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time);
}

bool IsOxygen(const SimChannel& c) {
    return c.name.compare(QLatin1String("O2"), Qt::CaseInsensitive) == 0 ||
           c.name.startsWith(QLatin1String("OXY"), Qt::CaseInsensitive);
}

// Identity texts: the code, the member and the width of the text field.
struct IdentityText {
    const char* code;
    QString SimState::*member;
    int width;
};
const IdentityText kIdentityTexts[] = {
    {"IN", &SimState::serialNo, 20},
    {"HN", &SimState::dummySerial, 20},
    {"BS", &SimState::specNo, 10},
};

// Stations and users: the current one and the list of 128.
struct NameList {
    const char* code;
    QString SimState::*current;
    std::array<QString, kSimListEntries> SimState::*list;
};
const NameList kNameLists[] = {
    {"XS", &SimState::stationId, &SimState::stationList},
    {"XZ", &SimState::userId, &SimState::userList},
};

// Alarm points and span gas values: one value per channel.
struct ChannelValue {
    const char* code;
    double SimChannel::*member;
};
const ChannelValue kChannelValues[] = {
    {"A1", &SimChannel::warning}, {"A2", &SimChannel::alarm},     {"AS", &SimChannel::stel},
    {"AW", &SimChannel::twa},     {"SA", &SimChannel::autoCalib},
};

// Settings written together in one command.
struct Part {
    int SimState::*m;
    WEnc w;
    int lo, hi;
};
enum class Extra {
    None,
    Password, // a 4-digit password follows the values (read and written)
    DispId,   // the read answer and the echo end with DispID (not written)
};
struct MultiValue {
    const char* code;
    QList<Part> parts;
    Extra extra;
};
const MultiValue kMultiValues[] = {
    {"BU",
     {{&SimState::BumpTime, WEnc::Dec, 0, 3},
      {&SimState::BumpThreshold, WEnc::Dec, 0, 4},
      {&SimState::BumpFailCalTime, WEnc::Dec, 0, 1},
      {&SimState::BumpFailAfter, WEnc::Dec, 0, 1}},
     Extra::None},
    {"WB",
     {{&SimState::LcBhMode, WEnc::Dec, 0, 3},
      {&SimState::BhTime, WEnc::Dec, 0, 2},
      {&SimState::LcBuzzer, WEnc::Dec, 0, 1}},
     Extra::None},
    {"MP", {{&SimState::UseUserPassword, WEnc::Dec, 0, 1}}, Extra::Password},
    {"HF", {{&SimState::pressOffset, WEnc::Hex2, 0, 255}}, Extra::DispId},
};

// The channels of `list` as five "0"/"1" flags.
QByteArray ChannelMask(const QList<int>& list) {
    QByteArray m(kSimChannels, '0');
    for (int i : list)
        m[i] = '1';
    return m;
}

bool IsFlags(const QByteArray& p) {
    return p.size() == 5 &&
           std::none_of(p.begin(), p.end(), [](char c) { return c != '0' && c != '1'; });
}

} // namespace

SimState SimDetectorPrivate::view() const {
    SimState v = st;
    for (const Staged& s : staged)
        s.apply(v);
    return v;
}

void SimDetectorPrivate::stage(const QByteArray& key, const QByteArray& command,
                               std::function<void(SimState&)> fn) {
    // The later write sets everything the earlier one of the same key set,
    // and no staged write reads what another one sets, so dropping the
    // earlier one changes nothing at the commit.
    staged.removeIf([&key](const Staged& s) { return s.key == key; });
    staged.append(Staged{key, command, std::move(fn)});
}

void SimDetectorPrivate::commitStaged() {
    if (staged.isEmpty()) {
        log(QStringLiteral("commit: nothing staged"));
        return;
    }
    for (const Staged& s : staged)
        s.apply(st);
    log(QStringLiteral("commit: %1 staged writes stored").arg(staged.size()));
    staged.clear();
    emit q->stateChanged();
}

SimReply SimDetectorPrivate::answer(const QByteArray& code4, const QByteArray& data, char term) {
    SimReply r;
    r.bytes = BuildAnswer(code4, data, term);
    return r;
}

SimReply SimDetectorPrivate::ack(const QByteArray& code4) {
    return answer(code4, QByteArray(1, ACK));
}

SimReply SimDetectorPrivate::refuse(const QByteArray& code4, const QByteArray& command,
                                    const QString& why) {
    noteRefusal(QStringLiteral("refused %1: %2").arg(Render(command), why));
    return answer(code4, QByteArray(1, NAK));
}

void SimDetectorPrivate::noteRefusal(const QString& line) {
    refusals.add(line);
    log(line);
}

void SimDetectorPrivate::startJob(const QByteArray& code2, std::function<void()> done) {
    jobs.insert(code2, Job{commitPolls, std::move(done)});
}

SimReply SimDetectorPrivate::confirm(const QByteArray& code2, const QByteArray& code4) {
    auto it = jobs.find(code2);
    if (it == jobs.end())
        return ack(code4); // nothing in progress
    if (faults.neverCommit) {
        log(QStringLiteral("fault: %1 never finishes").arg(QString::fromLatin1(code4)));
        return answer(code4, QByteArray(1, NAK));
    }
    if (it->pollsLeft > 0) {
        --it->pollsLeft;
        return answer(code4, QByteArray(1, NAK)); // still storing
    }
    const auto done = it->done;
    jobs.erase(it);
    if (done)
        done();
    return ack(code4);
}

QByteArray SimDetectorPrivate::reading(int ch) {
    const SimChannel& c = st.channels[size_t(ch)];
    if (!c.enabled)
        return QByteArray(5, '*');
    double v = c.baseReading;
    if (gasMask & (1 << ch)) {
        const double level = std::min(1.0, (gasPollsDone + 1) / 3.0);
        v += (gasValue[size_t(ch)] - c.baseReading) * level;
    }
    if (c.noise > 0)
        v += (rng.generateDouble() * 2.0 - 1.0) * c.noise;
    if (c.step > 0)
        v = std::round(v / c.step) * c.step;
    v = std::clamp(v, 0.0, std::max(0.0, c.fullScale));
    return Val5(v, c.point);
}

SimReply SimDetectorPrivate::efBlock() {
    const QByteArray bytes = efImage.mid(efAddr, kEfBlockBytes);
    const bool last = efAddr + kEfBlockBytes >= efImage.size();
    return answer("EF,R", HexFixed(efAddr, 6) + ',' + bytes.toHex().toUpper(), last ? EOT : ETB);
}

// --- command handlers, one per group -----------------------------------------

bool SimDetectorPrivate::bareRead(const SimRequest& r) {
    return r.form == 'R' && r.param.isEmpty();
}

SimReply SimDetectorPrivate::unexpectedParam(const SimRequest& r) {
    return refuse(r.code4, r.text, QStringLiteral("unexpected parameter"));
}

SimReply SimDetectorPrivate::unknownForm(const SimRequest& r) {
    return refuse(r.code4, r.text, QStringLiteral("unknown form"));
}

SimReply SimDetectorPrivate::onScalar(const SimRequest& r) {
    const Scalar& s = kScalars[r.entry];
    if (r.form == 'R') {
        if (!r.param.isEmpty())
            return unexpectedParam(r);
        return answer(r.code4, ReadText(s.r, st.*(s.member)));
    }
    if (r.form == 'W') {
        int v = 0;
        QString why;
        if (!ParseScalar(r.param, s.w, s.lo, s.hi, &v, &why))
            return refuse(r.code4, r.text, why);
        int SimState::*m = s.member;
        stage(r.code, r.text, [m, v](SimState& x) { x.*m = v; });
        return answer(r.code4, ReadText(s.r, v));
    }
    return unknownForm(r);
}

SimReply SimDetectorPrivate::onIdentityText(const SimRequest& r) {
    const IdentityText& t = kIdentityTexts[r.entry];
    if (r.form == 'R') {
        if (!r.param.isEmpty())
            return unexpectedParam(r);
        return answer(r.code4, PadText(st.*(t.member), t.width));
    }
    if (r.form == 'W') {
        if (!IsTxtField(r.param, t.width))
            return refuse(
                r.code4, r.text,
                QStringLiteral("not %1 printable characters without commas").arg(t.width));
        QString SimState::*m = t.member;
        const QString v = QString::fromLatin1(r.param.trimmed());
        stage(r.code, r.text, [m, v](SimState& x) { x.*m = v; });
        return answer(r.code4, r.param.trimmed());
    }
    return unknownForm(r);
}

SimReply SimDetectorPrivate::onNameList(const SimRequest& r) {
    const NameList& n = kNameLists[r.entry];
    const QByteArray& p = r.param;
    const QByteArray addr = p.left(4);
    int idx = -1;
    if (addr != "****") {
        if (!ParseHexFixed(addr, 4, &idx) || idx > 127)
            return refuse(r.code4, r.text,
                          QStringLiteral("address \"%1\" is neither **** nor 0000..007F")
                              .arg(QString::fromLatin1(addr)));
    }
    if (r.form == 'R') {
        if (p.size() != 4)
            return refuse(r.code4, r.text, QStringLiteral("address must be 4 characters"));
        const QString& v = idx < 0 ? st.*(n.current) : (st.*(n.list))[size_t(idx)];
        return answer(r.code4, addr + ',' + PadText(v, 16));
    }
    if (r.form == 'W') {
        if (p.size() < 5 || p.at(4) != ',' || !IsTxtField(p.mid(5), 16))
            return refuse(r.code4, r.text,
                          QStringLiteral("text is not 16 printable characters without commas"));
        const QString v = QString::fromLatin1(p.mid(5).trimmed());
        if (idx < 0) {
            QString SimState::*cur = n.current;
            stage(r.code + addr, r.text, [cur, v](SimState& x) { x.*cur = v; });
        } else {
            std::array<QString, kSimListEntries> SimState::*list = n.list;
            stage(r.code + addr, r.text,
                  [list, idx, v](SimState& x) { (x.*list)[size_t(idx)] = v; });
        }
        return answer(r.code4, addr + ',' + p.mid(5).trimmed());
    }
    return unknownForm(r);
}

SimReply SimDetectorPrivate::onGasRecords(const SimRequest& r) {
    if (r.form == 'R') {
        if (!r.param.isEmpty())
            return unexpectedParam(r);
        QList<QByteArray> recs;
        for (const SimChannel& c : st.channels)
            recs.append(Gas25(c));
        return answer(r.code4, recs.join(','));
    }
    if (r.form == 'W') {
        const QList<QByteArray> recs = r.param.split(',');
        if (recs.size() != kSimChannels)
            return refuse(r.code4, r.text, QStringLiteral("%1 records, not 5").arg(recs.size()));
        std::array<SimChannel, kSimChannels> parsed = view().channels;
        QString why;
        for (int i = 0; i < kSimChannels; ++i)
            if (!ParseGas25(recs[i], &parsed[size_t(i)], &why))
                return refuse(r.code4, r.text, QStringLiteral("channel %1: %2").arg(i).arg(why));
        stage(r.code, r.text, [parsed](SimState& x) {
            for (int i = 0; i < kSimChannels; ++i) {
                SimChannel& c = x.channels[size_t(i)];
                const SimChannel& n = parsed[size_t(i)];
                c.enabled = n.enabled;
                c.name = n.name;
                c.fullScale = n.fullScale;
                c.step = n.step;
                c.point = n.point;
                c.unit = n.unit;
            }
        });
        QList<QByteArray> echo;
        for (const SimChannel& c : parsed)
            echo.append(Gas25(c));
        return answer(r.code4, echo.join(','));
    }
    return unknownForm(r);
}

SimReply SimDetectorPrivate::onChannelValues(const SimRequest& r) {
    double SimChannel::*m = kChannelValues[r.entry].member;
    if (r.form == 'R') {
        if (!r.param.isEmpty())
            return unexpectedParam(r);
        QList<QByteArray> f;
        for (const SimChannel& c : st.channels)
            f.append(c.enabled ? Val5(c.*m, c.point) : QByteArray(5, '*'));
        return answer(r.code4, f.join(','));
    }
    if (r.form == 'W') {
        const QList<QByteArray> f = r.param.split(',');
        if (f.size() != kSimChannels)
            return refuse(r.code4, r.text, QStringLiteral("%1 fields, not 5").arg(f.size()));
        // Checked against the channel settings written earlier in this sequence.
        const SimState v = view();
        std::array<double, kSimChannels> vals{};
        for (int i = 0; i < kSimChannels; ++i) {
            const SimChannel& c = v.channels[size_t(i)];
            const int dec = Val5Decimals(c.point);
            double x = 0;
            if (!ParseVal5(f[i], dec, &x))
                return refuse(
                    r.code4, r.text,
                    QStringLiteral("channel %1: \"%2\" is not a 5-character value with %3 decimals")
                        .arg(i)
                        .arg(QString::fromLatin1(f[i]))
                        .arg(dec));
            if (!c.enabled && x >= 0)
                return refuse(r.code4, r.text,
                              QStringLiteral("channel %1 is disabled, value must be *****").arg(i));
            if (x > c.fullScale)
                return refuse(r.code4, r.text,
                              QStringLiteral("channel %1: %2 is above the full scale %3")
                                  .arg(i)
                                  .arg(x)
                                  .arg(c.fullScale));
            vals[size_t(i)] = x < 0 ? kSimNoValue : x;
        }
        stage(r.code, r.text, [m, vals](SimState& x) {
            for (int i = 0; i < kSimChannels; ++i)
                x.channels[size_t(i)].*m = vals[size_t(i)];
        });
        return answer(r.code4, r.param);
    }
    return unknownForm(r);
}

SimReply SimDetectorPrivate::onZeroFollower(const SimRequest& r) {
    if (r.form == 'R') {
        if (!r.param.isEmpty())
            return unexpectedParam(r);
        QByteArray z;
        for (const SimChannel& c : st.channels)
            z += char('0' + (c.zero ? 1 : 0));
        return answer(r.code4, z);
    }
    if (r.form == 'W') {
        if (!IsFlags(r.param))
            return refuse(r.code4, r.text, QStringLiteral("not five 0/1 digits"));
        const QByteArray p = r.param;
        stage(r.code, r.text, [p](SimState& x) {
            for (int i = 0; i < kSimChannels; ++i)
                x.channels[size_t(i)].zero = p.at(i) == '1' ? 1 : 0;
        });
        return answer(r.code4, p);
    }
    return unknownForm(r);
}

SimReply SimDetectorPrivate::onOverScale(const SimRequest& r) {
    if (!bareRead(r))
        return refuse(r.code4, r.text, QStringLiteral("read only, no parameter"));
    QByteArray o;
    for (int i = 0; i < 4; ++i)
        o += char('0' + (st.channels[size_t(i)].overScale ? 1 : 0));
    return answer(r.code4, o);
}

SimReply SimDetectorPrivate::onLibraryPage(const SimRequest& r) {
    int k = 0;
    if (r.form != 'R' || !ParseHexFixed(r.param, 2, &k) || k > 15)
        return refuse(r.code4, r.text,
                      QStringLiteral("page must be 2 upper-case hex digits 00..0F"));
    return answer(r.code4, HexFixed(k, 2) + ',' + LibraryGroup(st.library[size_t(k)]) + ',' +
                               LibraryGroup(st.library[size_t(k + 15)]));
}

SimReply SimDetectorPrivate::onSensorPair(const SimRequest& r) {
    if (r.form == 'R') {
        if (!r.param.isEmpty())
            return unexpectedParam(r);
        QByteArray data;
        for (int j = 0; j < 2; ++j) {
            const SimLibraryEntry& e = st.lsPair[size_t(j)];
            const int idx = IsUnused(e) ? 0 : st.lsIndex + 15 * j;
            data += (j ? "," : "") + HexFixed(idx, 2) + ',' + LibraryGroup(e);
        }
        return answer(r.code4, data);
    }
    if (r.form == 'W') {
        int k = 0;
        if (!ParseHexFixed(r.param, 2, &k) || k < 1 || k > 15)
            return refuse(r.code4, r.text,
                          QStringLiteral("entry must be 2 upper-case hex digits 01..0F"));
        if (IsUnused(st.library[size_t(k)]))
            return refuse(r.code4, r.text, QStringLiteral("library entry %1 is unused").arg(k));
        stage(r.code, r.text, [k](SimState& x) {
            x.lsIndex = k;
            x.lsPair[0] = x.library[size_t(k)];
            x.lsPair[1] = x.library[size_t(k + 15)];
        });
        return answer(r.code4, r.param);
    }
    return unknownForm(r);
}

SimReply SimDetectorPrivate::onMultiValue(const SimRequest& r) {
    const MultiValue& mv = kMultiValues[r.entry];
    const QList<Part>& parts = mv.parts;
    const Extra extra = mv.extra;
    auto readAll = [&parts, extra](const SimState& s) {
        QList<QByteArray> f;
        for (const Part& pt : parts)
            f.append(pt.w == WEnc::Hex2 ? HexFixed(s.*(pt.m), 2) : QByteArray::number(s.*(pt.m)));
        if (extra == Extra::Password)
            f.append(s.UserPassword2.toLatin1());
        if (extra == Extra::DispId)
            f.append(QByteArray::number(s.DispID));
        return f.join(',');
    };
    if (r.form == 'R') {
        if (!r.param.isEmpty())
            return unexpectedParam(r);
        return answer(r.code4, readAll(st));
    }
    if (r.form != 'W')
        return unknownForm(r);
    const QList<QByteArray> f = r.param.split(',');
    const int want = int(parts.size()) + (extra == Extra::Password ? 1 : 0);
    if (f.size() != want)
        return refuse(r.code4, r.text, QStringLiteral("%1 fields, not %2").arg(f.size()).arg(want));
    QList<int> vals;
    QString why;
    for (int i = 0; i < parts.size(); ++i) {
        int v = 0;
        if (!ParseScalar(f[i], parts[i].w, parts[i].lo, parts[i].hi, &v, &why))
            return refuse(r.code4, r.text, QStringLiteral("field %1: %2").arg(i + 1).arg(why));
        vals.append(v);
    }
    QString pw;
    if (extra == Extra::Password) {
        const QByteArray t = f[1];
        if (t.size() != 4 ||
            std::any_of(t.begin(), t.end(), [](char c) { return c < '0' || c > '9'; }))
            return refuse(r.code4, r.text, QStringLiteral("password must be 4 digits"));
        pw = QString::fromLatin1(t);
    }
    stage(r.code, r.text, [parts, vals, pw, extra](SimState& x) {
        for (int i = 0; i < parts.size(); ++i)
            x.*(parts[i].m) = vals[i];
        if (extra == Extra::Password)
            x.UserPassword2 = pw;
    });
    return answer(r.code4, readAll(view()));
}

SimReply SimDetectorPrivate::onIdentityRead(const SimRequest& r) {
    if (!bareRead(r))
        return refuse(r.code4, r.text, QStringLiteral("read only, no parameter"));
    if (r.code == "VP")
        return answer(r.code4, QByteArray::number(st.romNumber));
    if (r.code == "VS")
        return answer(r.code4, st.sum.toLatin1());
    if (r.code == "HB")
        return answer(r.code4, QByteArray::number(st.Battery));
    if (r.code == "RC")
        return answer(r.code4,
                      (faults.wrongModel.isEmpty() ? st.modelName : faults.wrongModel).toLatin1());
    QList<QByteArray> f; // "HA": the converter values
    for (int v : st.analogValues)
        f.append(HexFixed(v, 4));
    f.append(SingleHex(st.adrealValue));
    return answer(r.code4, f.join(','));
}

SimReply SimDetectorPrivate::onLiveReadings(const SimRequest& r) {
    if (!bareRead(r))
        return refuse(r.code4, r.text, QStringLiteral("read only, no parameter"));
    QList<QByteArray> f;
    for (int i = 0; i < kSimChannels; ++i)
        f.append(reading(i));
    if (gasPollsLeft > 0) {
        ++gasPollsDone;
        if (--gasPollsLeft == 0)
            gasMask = 0;
    }
    return answer(r.code4, f.join(','));
}

SimReply SimDetectorPrivate::onHistory(const SimRequest& r) {
    if (!bareRead(r))
        return refuse(r.code4, r.text, QStringLiteral("read only, no parameter"));
    QList<QByteArray> recs;
    for (const SimChannel& c : st.channels) {
        if (r.code == "SO")
            recs.append(Stamp(c.calibDate) + Field5(c.calibBefore) + Field5(c.calibAfter));
        else
            recs.append(Stamp(c.bumpDate) + Field5(c.bumpResult) + Field5(c.bumpConcentration));
    }
    return answer(r.code4, recs.join(','));
}

SimReply SimDetectorPrivate::onClock(const SimRequest& r) {
    if (r.form == 'R') {
        if (!r.param.isEmpty())
            return unexpectedParam(r);
        return answer(r.code4, Stamp(clock().addSecs(st.clockOffsetSecs)));
    }
    if (r.form == 'W') {
        const QDateTime t = ParseStamp(r.param);
        if (!t.isValid())
            return refuse(r.code4, r.text, QStringLiteral("not a valid YYMMDDhhnnss date"));
        st.clockOffsetSecs = clock().secsTo(t);
        log(QStringLiteral("clock set to %1").arg(t.toString(Qt::ISODate)));
        emit q->stateChanged();
        return answer(r.code4, r.param);
    }
    return unknownForm(r);
}

SimReply SimDetectorPrivate::onJob(const SimRequest& r) {
    if (!r.param.isEmpty())
        return unexpectedParam(r);
    if (r.form == 'C')
        return confirm(r.code, r.code4);
    if (r.form != 'W')
        return unknownForm(r);
    if (r.code == "DW") {
        startJob(r.code, [this] { commitStaged(); });
    } else if (r.code == "XC") {
        startJob(r.code, [this] {
            st.loggerContent = SimLoggerContent::Erased;
            st.rebuildMemory();
            log(QStringLiteral("logger memory cleared"));
            emit q->stateChanged();
        });
    } else if (r.code == "XY") {
        startJob(r.code, [this] {
            st.powerDataErased = true;
            st.rebuildMemory();
            log(QStringLiteral("power data cleared"));
            emit q->stateChanged();
        });
    } else { // "UX"
        startJob(r.code, [this] {
            staged.clear();
            st.restoreFactorySettings();
            log(QStringLiteral("factory settings restored"));
            emit q->stateChanged();
        });
    }
    return ack(r.code4);
}

SimReply SimDetectorPrivate::onUpDown(const SimRequest& r) {
    if (r.form != 'W' || !r.param.isEmpty())
        return refuse(r.code4, r.text, QStringLiteral("only the W form without parameter"));
    return ack(r.code4);
}

SimReply SimDetectorPrivate::onPowerOff(const SimRequest& r) {
    if (r.form != 'W' || !r.param.isEmpty())
        return refuse(r.code4, r.text, QStringLiteral("only the W form without parameter"));
    log(QStringLiteral("power off"));
    poweringOff = true;
    SimReply reply = ack(r.code4);
    reply.dropLineAfter = true;
    return reply;
}

SimReply SimDetectorPrivate::onCheckPattern(const SimRequest& r) {
    if (r.form != 'E' || !r.param.isEmpty())
        return refuse(r.code4, r.text, QStringLiteral("only the E form without parameter"));
    st.loggerContent = SimLoggerContent::Check;
    st.rebuildMemory();
    log(QStringLiteral("check pattern written"));
    emit q->stateChanged();
    return ack(r.code4);
}

SimReply SimDetectorPrivate::onSwitch(const SimRequest& r) {
    const bool pump = r.code == "BP";
    int v = 0;
    QString why;
    if (r.form != 'W' || !ParseScalar(r.param, pump ? WEnc::Digit : WEnc::Dec, 0, 1, &v, &why))
        return refuse(r.code4, r.text, why.isEmpty() ? QStringLiteral("unknown form") : why);
    (pump ? st.pump : st.shWetDry) = v;
    emit q->stateChanged();
    return ack(r.code4);
}

SimReply SimDetectorPrivate::onSamplingHead(const SimRequest& r) {
    if (r.form == 'R') {
        if (!r.param.isEmpty())
            return unexpectedParam(r);
        return answer(r.code4, QByteArray::number(st.SHmode));
    }
    if (r.form == 'C') {
        if (!r.param.isEmpty())
            return unexpectedParam(r);
        return confirm(r.code, r.code4);
    }
    int v = 0;
    QString why;
    if (r.form != 'W' || !ParseScalar(r.param, WEnc::Dec, 0, 1, &v, &why))
        return refuse(r.code4, r.text, why.isEmpty() ? QStringLiteral("unknown form") : why);
    if (v == 0) {
        st.SHmode = 0;
        emit q->stateChanged();
    } else {
        startJob(r.code, [this] {
            st.SHmode = 1;
            emit q->stateChanged();
        });
    }
    return answer(r.code4, r.param);
}

SimReply SimDetectorPrivate::onZeroAdjust(const SimRequest& r) {
    if (r.form == 'R') {
        if (!r.param.isEmpty())
            return unexpectedParam(r);
        QList<QByteArray> f;
        for (int i = 0; i < 4; ++i)
            f.append(HexFixed(st.analogValues[size_t(i)], 4));
        return answer(r.code4, f.join(','));
    }
    if (r.form == 'W') {
        if (!IsFlags(r.param))
            return refuse(r.code4, r.text, QStringLiteral("channel flags must be five 0/1 digits"));
        zeroRunning = true;
        zeroPollsLeft = zeroPolls;
        zeroFlags = r.param;
        lastZeroResult.clear();
        return ack(r.code4);
    }
    if (r.form != 'C')
        return unknownForm(r);
    if (!r.param.isEmpty())
        return unexpectedParam(r);
    if (!zeroRunning) {
        if (lastZeroResult.isEmpty())
            return answer(r.code4, QByteArray(1, NAK));
        return answer(r.code4, lastZeroResult); // the result again for a repeated poll
    }
    if (zeroPollsLeft > 0) {
        --zeroPollsLeft;
        return answer(r.code4, QByteArray(1, NAK)); // adjusting
    }
    zeroRunning = false;
    QByteArray result;
    QList<int> ok;
    for (int i = 0; i < kSimChannels; ++i) {
        const SimChannel& c = st.channels[size_t(i)];
        if (zeroFlags.at(i) != '1' || !c.enabled)
            result += '-';
        else if (faults.calibFailMask & (1 << i))
            result += '1';
        else {
            result += '0';
            ok.append(i);
        }
    }
    lastZeroResult = result;
    if (!ok.isEmpty()) {
        const QDateTime now = clock().addSecs(st.clockOffsetSecs);
        QList<QByteArray> before;
        for (int i : ok)
            before.append(reading(i));
        // One staged calibration per set of channels.
        stage("SZ" + ChannelMask(ok), "SZ,C,", [ok, before, now](SimState& x) {
            for (int k = 0; k < ok.size(); ++k) {
                SimChannel& c = x.channels[size_t(ok[k])];
                const double target = IsOxygen(c) ? 20.9 : 0.0;
                c.calibDate = now;
                c.calibBefore = QString::fromLatin1(before[k]);
                c.calibAfter = QString::fromLatin1(Val5(target, c.point));
                c.baseReading = target;
            }
        });
        startJob("DW", [this] { commitStaged(); });
    }
    return answer(r.code4, result);
}

SimReply SimDetectorPrivate::onSpan(const SimRequest& r) {
    if (r.form != 'W')
        return refuse(r.code4, r.text, QStringLiteral("only the W form"));
    const QList<QByteArray> f = r.param.split(',');
    if (f.size() != 6 || !IsFlags(f[0]))
        return refuse(r.code4, r.text,
                      QStringLiteral("not five 0/1 flags followed by five values"));
    QByteArray result;
    QList<int> ok;
    QList<double> spans;
    for (int i = 0; i < kSimChannels; ++i) {
        const SimChannel& c = st.channels[size_t(i)];
        const int dec = Val5Decimals(c.point);
        double v = 0;
        if (!ParseVal5(f[i + 1], dec, &v))
            return refuse(
                r.code4, r.text,
                QStringLiteral("channel %1: \"%2\" is not a 5-character value with %3 decimals")
                    .arg(i)
                    .arg(QString::fromLatin1(f[i + 1]))
                    .arg(dec));
        const bool selected = f[0].at(i) == '1';
        if (!selected) {
            if (v >= 0)
                return refuse(
                    r.code4, r.text,
                    QStringLiteral("channel %1 is not selected, value must be *****").arg(i));
            result += '-';
        } else if (!c.enabled || v <= 0 || v > c.fullScale || (faults.calibFailMask & (1 << i))) {
            result += '1';
        } else {
            result += '0';
            ok.append(i);
            spans.append(v);
        }
    }
    if (!ok.isEmpty()) {
        const QDateTime now = clock().addSecs(st.clockOffsetSecs);
        stage(r.code + ChannelMask(ok), r.text, [ok, spans, now](SimState& x) {
            for (int k = 0; k < ok.size(); ++k) {
                SimChannel& c = x.channels[size_t(ok[k])];
                c.calibDate = now;
                c.calibBefore = QString::fromLatin1(Val5(spans[k] * 0.96, c.point));
                c.calibAfter = QString::fromLatin1(Val5(spans[k], c.point));
                c.autoCalib = spans[k];
            }
        });
        startJob("DW", [this] { commitStaged(); });
        int mask = 0;
        for (int k = 0; k < ok.size(); ++k) {
            mask |= 1 << ok[k];
            gasValue[size_t(ok[k])] = spans[k];
        }
        gasMask = mask;
        gasPollsLeft = spanGasPolls;
        gasPollsDone = 0;
    }
    return answer(r.code4, result);
}

SimReply SimDetectorPrivate::onN2Zero(const SimRequest& r) {
    double v = 0;
    const SimChannel& o2 = st.channels[1];
    if (r.form != 'W' || !ParseVal5(r.param, Val5Decimals(o2.point), &v) || v < 0 ||
        v > o2.fullScale)
        return refuse(r.code4, r.text,
                      QStringLiteral("oxygen reading must be a 5-character value with %1 decimals")
                          .arg(Val5Decimals(o2.point)));
    SimChannel& te = st.channels[4];
    if (!te.enabled)
        return refuse(r.code4, r.text, QStringLiteral("channel 4 is disabled"));
    te.calibDate = clock().addSecs(st.clockOffsetSecs);
    te.calibBefore = QString::fromLatin1(reading(4));
    te.calibAfter = QString::fromLatin1(Val5(0, te.point));
    te.baseReading = 0;
    log(QStringLiteral("N2 zero of channel 4 against oxygen %1").arg(v));
    emit q->stateChanged();
    return ack(r.code4);
}

SimReply SimDetectorPrivate::onMemoryBlock(const SimRequest& r) {
    const QByteArray& mem = r.code == "EP" ? st.logger : st.powerData;
    const int blocks = int(mem.size() / 512);
    int b = 0;
    if (r.form != 'R' || !ParseHexFixed(r.param, 4, &b) || b >= blocks) {
        // A detector does not answer a block it cannot read.
        noteRefusal(QStringLiteral("refused %1: block must be 4 upper-case hex digits below %2 "
                                   "(no answer)")
                        .arg(Render(r.text))
                        .arg(blocks));
        return {};
    }
    SimReply reply;
    reply.bytes = mem.mid(b * 512, 512);
    reply.raw = true;
    return reply;
}

SimReply SimDetectorPrivate::onParameterList(const SimRequest& r) {
    int start = 0;
    if (r.form != 'R' ||
        (!r.param.isEmpty() && (!ParseHexFixed(r.param, 6, &start) || start >= kSimParamBytes)))
        return refuse(
            r.code4, r.text,
            QStringLiteral("start address must be empty or 6 upper-case hex digits below 002000"));
    efImage = st.parameterMemory();
    efAddr = start & ~0xF;
    efActive = true;
    // Addresses in the blocks are absolute; the list starts at efAddr.
    return efBlock();
}

SimReply SimDetectorPrivate::onAcceptAny(const SimRequest& r) {
    return ack(r.code4); // accepted without parsing
}

// --- dispatch ------------------------------------------------------------------

namespace {

using Handler = SimDetectorPrivate::Handler;
using P = SimDetectorPrivate;

// Groups without a table of their own: the codes (separated by blanks) and
// the handler.
struct Group {
    const char* codes;
    Handler handler;
};
const Group kGroups[] = {
    {"GJ", &P::onGasRecords},
    {"UZ", &P::onZeroFollower},
    {"AO", &P::onOverScale},
    {"LI", &P::onLibraryPage},
    {"LS", &P::onSensorPair},
    {"VP VS HB HA RC", &P::onIdentityRead},
    {"DN", &P::onLiveReadings},
    {"SO BO", &P::onHistory},
    {"HC", &P::onClock},
    {"DW XC XY UX", &P::onJob},
    {"UD UP", &P::onUpDown},
    {"RO", &P::onPowerOff},
    {"XH", &P::onCheckPattern},
    {"BP SQ", &P::onSwitch},
    {"LR", &P::onSamplingHead},
    {"SZ", &P::onZeroAdjust},
    {"S2 S1", &P::onSpan},
    {"SN", &P::onN2Zero},
    {"EP ES", &P::onMemoryBlock},
    {"EF", &P::onParameterList},
    {"YA YB YC YD YE YF YG YH YI YJ YK YL YM YN YO YP YQ YR YS YT YU YV", &P::onAcceptAny},
};

// Where a code is handled: the handler and its entry in the group's table.
struct Route {
    Handler handler = nullptr;
    int entry = 0;
};

const QHash<QByteArray, Route>& Routes() {
    static const QHash<QByteArray, Route> routes = [] {
        QHash<QByteArray, Route> t;
        auto add = [&t](const QByteArray& code, Handler h, int entry) {
            Q_ASSERT(!t.contains(code)); // every code belongs to one group
            t.insert(code, Route{h, entry});
        };
        auto addTable = [&add](const auto& table, Handler h) {
            int i = 0;
            for (const auto& e : table)
                add(e.code, h, i++);
        };
        addTable(kScalars, &P::onScalar);
        addTable(kIdentityTexts, &P::onIdentityText);
        addTable(kNameLists, &P::onNameList);
        addTable(kChannelValues, &P::onChannelValues);
        addTable(kMultiValues, &P::onMultiValue);
        for (const Group& g : kGroups)
            for (const QByteArray& code : QByteArray(g.codes).split(' '))
                add(code, g.handler, 0);
        return t;
    }();
    return routes;
}

} // namespace

SimReply SimDetectorPrivate::dispatch(const QByteArray& text) {
    efActive = false; // any command ends a running block transfer

    if (text.size() < 4 || text.at(2) != ',') {
        log(QStringLiteral("ignored (not a command): %1").arg(Render(text)));
        return {};
    }
    SimRequest r;
    r.text = text;
    r.code = text.left(2);
    r.form = text.at(3);
    r.code4 = text.left(4);
    r.param = text.mid(5);
    // "UD" and "UP" are also taken without the comma after the form letter.
    const bool upDown = r.code == "UD" || r.code == "UP";
    if ((text.size() == 4 && !upDown) || (text.size() > 4 && text.at(4) != ','))
        return refuse(r.code4, text, QStringLiteral("no comma after the form letter"));

    const auto it = Routes().constFind(r.code);
    if (it == Routes().cend())
        return refuse(r.code4, text, QStringLiteral("unknown command"));
    r.entry = it->entry;
    return (this->*(it->handler))(r);
}
