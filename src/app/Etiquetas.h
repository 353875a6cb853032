#pragma once

#include <memory>

#include <QCoreApplication>
#include <QList>
#include <QRectF>
#include <QString>
#include <QStringList>

#include "base/ClassificadorCodigos.h"

class LigacaoDados;

// Sheets of labels for the barcode scanner: employee badges, operation and machine cards and
// work-order labels. Each label carries a Code 128 symbol of the kind's prefix and the code, the
// same text in plain characters under the bars, and above them the kind and the name.
namespace Etiquetas {

struct Etiqueta
{
    TipoCodigo tipo = TipoCodigo::Desconhecido;
    QString codigo; // what the bars hold: the prefix and the code
    QString nome;   // the employee's, operation's or machine's name; "Obra " and the number
};

// A sheet of labels on A4 portrait, in millimetres.
struct Folha
{
    int linhas = 8;
    int colunas = 3;
    double largura = 70;
    double altura = 37;
    double margemTopo = -1; // negative: the grid is centred on the page
    double margemEsquerda = -1;
    double espacoHorizontal = 0; // between two columns
    double espacoVertical = 0;   // between two rows
    bool contornos = false;      // draws each label's outline (for cutting plain paper)

    int porFolha() const { return linhas * colunas; }
    // "" when the labels fit on the page and are large enough for their content; else why not.
    QString Validar() const;
    // Where label `i` of a sheet lies (row by row), in millimetres from the page's top left corner.
    QRectF Celula(int i) const;
};

// What to print: the kinds, and for orders the numbers given (none: every open order).
struct Pedido
{
    bool funcionarios = false;
    bool operacoes = false;
    bool maquinas = false;
    bool obras = false;
    QStringList numerosObras;
};

// The labels asked for, in this order: employees, operations, machines (each by name), orders
// (open ones by number, or those given in their order). False, with a message, when an order
// given does not exist.
bool Recolher(LigacaoDados& bd, const ClassificadorCodigos& prefixos, const Pedido& pedido, QList<Etiqueta>& etiquetas,
              QString& erro);

// Writes the labels to a PDF file. A code a scanner could not type back (characters other than
// visible ASCII) is left out, and one whose bars come out narrower than most scanners read is
// printed; both with a line in `avisos`. False, with a message, when there is nothing to write or
// the file cannot be written.
bool EscreverPdf(const QString& ficheiro, const QList<Etiqueta>& etiquetas, const Folha& folha, QStringList& avisos,
                 QString& erro, int* escritas = nullptr);

// The application object for terminal-admin: a QGuiApplication on the offscreen platform (fonts
// and PDF, no display needed) when the command line asks for labels, else a QCoreApplication.
std::unique_ptr<QCoreApplication> Aplicacao(int& argc, char** argv);

// terminal-admin etiquetas [OPÇÕES] [funcionarios] [operacoes] [maquinas] [obras [NÚMERO...]]:
// reads the prefixes from the configuration file and writes the PDF. Returns the exit code.
int Comando(LigacaoDados& bd, const QString& ficheiroConfiguracao, const QStringList& argumentos);

} // namespace Etiquetas
