// The sequence fixture with the link's own answer handling (the façade's
// response context, as the program uses it), a record attached, and the
// emulator's delays on the virtual clock.
#pragma once

#include "SequenceFixture.h"

#include "model/clsInstrument.h"

class LinkOperations : public SequenceFixture {
protected:
    void SetUp() override {
        SequenceFixture::SetUp();
        if (HasFatalFailure())
            return;
        link.setResponseParser([this](const QString& frame) {
            ResponseContext& c = link.responseContext();
            const bool accepted = ParseResponse(frame, c);
            link.setCommitDone(c.CommitDone);
            return accepted;
        });
        sim.setScheduler(
            [this](int ms, std::function<void()> fn) { clock.singleShot(ms, std::move(fn)); });
        link.setInstrument(&rec);
        QObject::connect(&link, &uclTqif::DumpMessage,
                         [this](const QString& text) { dumpMessages << text; });
    }

    int countOf(const QString& text) const { return received().count(text); }
    qint64 now() const { return clock.elapsedMs(); }

    clsInstrument rec;
    QStringList dumpMessages;
};
