#pragma once

#include <array>

#include <QString>

// What a scanned code names, told by its prefix.
enum class TipoCodigo { Desconhecido, Funcionario, Obra, Operacao, Maquina, Artigo };

// A scanned text taken apart: the kind its prefix names and the code after the prefix.
struct CodigoLido
{
    TipoCodigo tipo = TipoCodigo::Desconhecido;
    QString codigo; // without the prefix; "" when the kind is unknown
    QString lido;   // the text as scanned, without surrounding blanks
};

// The prefixes that label codes carry ("FU101" is employee 101) and the reading of a scanned text
// by them. Prefixes compare without regard to case (a terminal with Caps Lock on turns the
// scanner's capitals into small letters); the code keeps the case it was read in.
class ClassificadorCodigos
{
public:
    static constexpr std::array<TipoCodigo, 5> Tipos{TipoCodigo::Funcionario, TipoCodigo::Obra, TipoCodigo::Operacao,
                                                     TipoCodigo::Maquina, TipoCodigo::Artigo};

    // Starts with the default prefixes.
    ClassificadorCodigos();

    // The prefix a kind has when the configuration does not name one: FU, OB, OP, MQ, AR. Plain
    // capitals, which a scanner types alike under every layout that has the Latin letters, and
    // without Y or Z, which swap places between QWERTY and QWERTZ.
    static QString PrefixoPadrao(TipoCodigo tipo);
    // The kind in words, for messages: "funcionário", "obra", "operação", "máquina", "artigo".
    static QString NomeTipo(TipoCodigo tipo);

    QString prefixo(TipoCodigo tipo) const;
    void setPrefixo(TipoCodigo tipo, const QString& prefixo);

    // The kind whose prefix begins `lido` (the longest when several do) and the rest as the code.
    // Unknown when no prefix matches or nothing follows it.
    CodigoLido Classificar(const QString& lido) const;
    // The text a label carries for `codigo` of that kind: its prefix followed by the code.
    QString Codificar(TipoCodigo tipo, const QString& codigo) const;

    // "" when the prefixes can tell every code apart; otherwise what is wrong, naming the kinds:
    // an empty prefix, or one prefix that begins another (a code of the shorter one could then
    // be read as the longer one's).
    QString Conflito() const;

private:
    static int indice(TipoCodigo tipo);
    std::array<QString, 5> m_prefixos;
};
