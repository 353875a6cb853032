#pragma once

#include <QString>

#include "base/ClassificadorCodigos.h"

class LeitorConfiguracao;

// The barcode scanner's settings in the configuration file, section "Leitor":
//   Intervalo Máximo     = longest pause, in ms, between two keys of a scan (default 30)
//   Prefixo Funcionário  = prefix of employee badges (default FU)
//   Prefixo Obra         = prefix of work-order labels (OB)
//   Prefixo Operação     = prefix of operation cards (OP)
//   Prefixo Máquina      = prefix of machine cards (MQ)
//   Prefixo Artigo       = prefix of article labels (AR)
// An absent or empty key keeps its default.
class DefinicoesLeitor
{
public:
    static const QString Seccao;
    static constexpr int IntervaloPadrao = 30;
    static constexpr int IntervaloLimite = 1000;

    DefinicoesLeitor() = default;
    explicit DefinicoesLeitor(const QString& ficheiro) : Ficheiro(ficheiro) {}

    // The configuration key of a kind's prefix ("Prefixo Funcionário" ...).
    static QString ChavePrefixo(TipoCodigo tipo);

    // Reads the file named by Ficheiro. False, with a message naming the file, when it cannot be
    // read or a value is not valid; a value that is not valid is replaced by its default (all
    // five prefixes by theirs when two of them clash) and the rest is still read.
    bool Ler(QString* erro = nullptr);
    // The same from a reader already opened on the file.
    bool Ler(LeitorConfiguracao& leitor, QString* erro = nullptr);

    QString Ficheiro;
    int IntervaloMaximo = IntervaloPadrao;
    ClassificadorCodigos Prefixos;
};
