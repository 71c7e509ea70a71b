#pragma once
// Device bytes shown on the user's terminal: control bytes and bytes outside ASCII are escaped
// (\0, \t, \n, \r, \x1b ...), so a device can neither steer the terminal nor hide text.
#include <QByteArray>
#include <QByteArrayView>
#include <cstdio>

QByteArray printable(QByteArrayView bytes);

// Writes printable(bytes) and a line end to out.
void printLine(std::FILE *out, QByteArrayView bytes);
