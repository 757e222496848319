// First stage of answer handling: turns one received frame into an answer
// code, a status character and tokens, then lets the command table check the
// fields and store them (CommandSet.h).
#pragma once

#include "link/CommandSet.h"

#include <QString>

// Splits a frame as received (STX, address, code, fields, ETX, checksum and
// terminator). False when the frame is shorter than 15 characters; the
// checksum is not checked.
bool SplitAnswer(const QString& frame, AnswerFrame* out);

// Accepts or rejects one received frame. A frame shorter than 15 characters
// logs "<<< Format error >>>"; an unknown code is rejected without a log line;
// everything else is decided by the rules of the answer's code.
bool ParseResponse(const QString& frame, ResponseContext& ctx);
