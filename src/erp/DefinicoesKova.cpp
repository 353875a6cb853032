#include "erp/DefinicoesKova.h"

#include "dataaccess/LeitorConfiguracao.h"

const QString DefinicoesKova::Seccao = QStringLiteral("Kova");
const QString DefinicoesKova::ChavePercursoWindows = QStringLiteral("Percurso Windows");
const QString DefinicoesKova::ChavePercursoLog = QStringLiteral("Percurso Log");
const QString DefinicoesKova::ChaveEmpresa = QStringLiteral("Empresa");
const QString DefinicoesKova::ChaveUtilizador = QStringLiteral("Utilizador");
const QString DefinicoesKova::ChavePassword = QStringLiteral("Palavra Passe");

QString DefinicoesKova::ler(const QString& chave) const
{
    LeitorConfiguracao leitor(Ficheiro);
    if (!leitor.carregar()) return {};
    return leitor.Ler(Seccao, chave);
}

ValoresKova DefinicoesKova::Valores() const
{
    ValoresKova v;
    LeitorConfiguracao leitor(Ficheiro);
    if (!leitor.carregar()) return v;
    v.PercursoWindows = leitor.Ler(Seccao, ChavePercursoWindows);
    v.PercursoLog = leitor.Ler(Seccao, ChavePercursoLog);
    v.Empresa = leitor.Ler(Seccao, ChaveEmpresa);
    v.UtilizadorKova = leitor.Ler(Seccao, ChaveUtilizador);
    v.PasswordKova = leitor.Ler(Seccao, ChavePassword);
    return v;
}

bool DefinicoesKova::EditarDefinicoes(InteraccaoOperador* op)
{
    if (!op) return false;
    ValoresKova v = Valores();
    if (!op->EditarDefinicoesKova(v)) return false;
    return Gravar(v);
}

bool DefinicoesKova::Gravar(const ValoresKova& valores, QString* erro)
{
    // A missing file is created; one that exists but cannot be read is left alone (the reader
    // refuses to write over it).
    LeitorConfiguracao leitor(Ficheiro);
    leitor.Escrever(Seccao, ChavePercursoWindows, valores.PercursoWindows);
    leitor.Escrever(Seccao, ChavePercursoLog, valores.PercursoLog);
    leitor.Escrever(Seccao, ChaveEmpresa, valores.Empresa);
    leitor.Escrever(Seccao, ChaveUtilizador, valores.UtilizadorKova);
    leitor.Escrever(Seccao, ChavePassword, valores.PasswordKova);
    return leitor.gravar(erro);
}
