// The emulator's state file on any bytes, and its round trip: a state that
// loads is saved, and the saved file loads back to the same state.
#include "FuzzSupport.h"

#include "sim/SimState.h"

#include <QJsonDocument>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::StartQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QDir root(fuzz::ScratchFolder());
    const QString in = root.filePath(QStringLiteral("state-in.json"));
    const QString out = root.filePath(QStringLiteral("state-out.json"));
    fuzz::WriteFile(in, QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    SimState state = SimState::Defaults();
    QString error;
    if (!SimState::load(in, state, &error)) {
        fuzz::Check(!error.isEmpty(), "a refused state file says why");
        return 0;
    }
    const QJsonObject first = state.toJson();
    fuzz::Check(state.save(out, &error), "a loaded state saves", error.toUtf8());
    SimState again = SimState::Defaults();
    fuzz::Check(SimState::load(out, again, &error), "a saved state loads", error.toUtf8());
    const QJsonObject second = again.toJson();
    fuzz::Check(first == second, "load, save, load gives the same state",
                QJsonDocument(first).toJson() + "\n---\n" + QJsonDocument(second).toJson());
    return 0;
}
