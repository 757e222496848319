#include "link/ReadSequence.h"

#include "link/CommandSet.h"
#include "link/LinkClock.h"
#include "link/uclTqif.h"
#include "model/clsInstrument.h"

const QStringList& ReadCommandTable() {
    static const QStringList table = [] {
        QStringList t;
        for (int i = 0; i < kReadCommandSlots; ++i)
            t << QString();
        auto set = [&](int index, const QString& code, const QString& params = QString()) {
            t[index] = CommandSet::ReadCommand(code, params);
        };
        const QString current = QStringLiteral("****");
        set(0, "VP");
        set(1, "XZ", current);
        set(2, "XS", current);
        set(3, "IN");
        set(4, "HN");
        set(5, "HC");
        set(7, "AP");
        set(8, "XP");
        set(9, "XI");
        set(10, "SD");
        set(11, "SM");
        set(12, "SC");
        set(13, "XL");
        set(14, "XA");
        set(15, "XB");
        set(16, "XW");
        set(17, "XT");
        set(19, "HF");
        set(20, "GJ");
        set(21, "A1");
        set(22, "A2");
        set(23, "AS");
        set(24, "AW");
        set(25, "HA");
        set(26, "VS");
        set(28, "SA");
        set(29, "UZ");
        set(30, "AT");
        set(32, "EB");
        set(37, "UJ");
        set(38, "HB");
        set(39, "SJ");
        set(40, "SG");
        set(41, "MP");
        set(42, "LP");
        set(43, "CP");
        set(44, "AM");
        set(46, "BU");
        set(47, "WB");
        set(48, "AF");
        set(49, "BS");
        set(50, "LS");
        for (int page = 1; page <= 5; ++page)
            set(50 + page, "LI", CommandSet::Hex2(page));
        for (int entry = 0; entry < 128; ++entry) {
            set(66 + entry, "XS", CommandSet::Hex4(entry));
            set(194 + entry, "XZ", CommandSet::Hex4(entry));
        }
        set(322, "LE");
        set(323, "XF");
        set(324, "BJ");
        set(325, "BK");
        set(326, "BL");
        set(327, "BV");
        set(328, "X7");
        set(329, "SW");
        set(330, "BW");
        set(331, "X8");
        return t;
    }();
    return table;
}

bool GetInstrument(uclTqif& link, ResponseContext& ctx, clsInstrument* iObj) {
    if (!iObj)
        return false;
    link.setCancel(false);
    ctx.Instrument = iObj;
    iObj->ClearDatas();
    iObj->setFailLine(QString());

    auto raiseMessages = [&] {
        const QString text = iObj->MessageString();
        if (!text.isEmpty()) {
            emit link.InstMessage(text);
            iObj->setMessageString(QString());
        }
    };
    const QStringList& table = ReadCommandTable();
    // The last slot is never sent: the walk covers indices 0 to 331.
    for (int i = 0; i < kReadCommandSlots - 1; ++i) {
        const QString& text = table.at(i);
        if (text.isEmpty())
            continue;
        if (link.SendAndWait(text, kStatusAwaitingRead, raiseMessages) != LinkResult::Done)
            return false;
    }
    return true;
}
