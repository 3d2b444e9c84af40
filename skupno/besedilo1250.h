#pragma once

#include <QByteArray>
#include <QString>

// The system's 8-bit code page for files: Windows-1250 (Central European), one byte
// per character. A character the code page lacks is written as '?'.
QByteArray vWin1250(const QString& besedilo);
QString izWin1250(const QByteArray& bajti);
