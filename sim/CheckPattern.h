// The check pattern that "XH,E," writes over the whole logger memory, and
// the reference image "TQ7350_Check.DAT" made from it.
//
// Byte at offset o (0 <= o < 524288):
//
//     CheckPatternByte(o) = (o & 0xFF) XOR ((o >> 8) & 0xFF) XOR (o >> 16) XOR 0x5A
//
// The low byte counts up within each 256-byte run, the run number and the
// 64 KiB bank number change the value from run to run, so a block read from
// the wrong address, a stuck address line or an erased (0xFF) area all show
// up as differences. The constant 0x5A keeps offset 0 from reading 0x00.
#pragma once

#include <QByteArray>
#include <QString>

unsigned char CheckPatternByte(quint32 offset);
// The whole 524288-byte image.
QByteArray CheckImage();
// Writes the image to `path` (through a temporary file and a rename).
bool WriteCheckImage(const QString& path, QString* error = nullptr);
