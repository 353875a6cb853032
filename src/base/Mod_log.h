#pragma once

#include <functional>

#include <QDateTime>
#include <QString>

// Appends one line to the day's log file (program folder, "log-yyyy-MM-dd.txt", named from the
// clock at the moment of writing): five tab-separated fields, then "Mensagem:" glued to the
// message, ended by CR LF. A line break inside a field is written as " | ", so that each call is
// one line. Written in Latin-1, the terminals' 8-bit code page. The line goes in whole or not at
// all. Returns false, with the file and the reason ("disco cheio", ...) in `erro`, when it cannot
// be written.
bool EscreverLog(const QString& campo1, const QString& campo2, const QString& campo3, const QString& campo4,
                 const QString& campo5, const QString& mensagem, QString* erro = nullptr);

// The text of one log line, without its line end.
QString LinhaLog(const QString& campo1, const QString& campo2, const QString& campo3, const QString& campo4,
                 const QString& campo5, const QString& mensagem);

// The clock that names the day's file (the system clock by default). Tests set another; an empty
// function restores the system clock.
void DefinirRelogioLog(std::function<QDateTime()> relogio);
