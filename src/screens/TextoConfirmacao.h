#pragma once

#include <QString>

struct ResultadoEQP;

// The selection a function was confirmed with, as the information lines showed it.
struct SeleccaoConfirmada
{
    QString NomeUtilizador;
    QString Obra;
    QString Funcao;
    QString DescricaoOperacao;
    QString DescricaoMaquina;
    QString MotivoSuspensao;
};

// What the operator is told after the engine accepted the function `s.Funcao`: what the database
// now holds, from the engine's result. The first line says what was recorded; the next names the
// employee, and for a day's start the engine's `mensagem` (a line it could not resume) follows.
QString TextoConfirmacao(const SeleccaoConfirmada& s, const ResultadoEQP& r, const QString& mensagem);

// "1 operação terminada", "2 operações terminadas": `n` operations with the participle given in
// the singular.
QString Operacoes(int n, const QString& participio);
