#include "erp/DefinicoesKova.h"

#include "dataaccess/LeitorConfiguracao.h"

const QString DefinicoesKova::Seccao = QStringLiteral("Kova");
const QString DefinicoesKova::ChavePercursoWindows = QStringLiteral("Percurso Windows");
const QString DefinicoesKova::ChavePercursoLog = QStringLiteral("Percurso Log");
const QString DefinicoesKova::ChaveEmpresa = QStringLiteral("Empresa");
const QString DefinicoesKova::ChaveUtilizador = QStringLiteral("Utilizador");
const QString DefinicoesKova::ChavePassword = QStringLiteral("Palavra Passe");

ValoresKova DefinicoesKova::Valores() const
{
    if (m_naoGravados) return *m_naoGravados;
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
    QString erro;
    if (Gravar(v, &erro)) {
        m_naoGravados.reset();
        return true;
    }
    // A read-only program folder: the run goes on with what was typed, and the operator knows
    // that the dialog will come back at the next start.
    m_naoGravados = v;
    op->Aviso(QStringLiteral("As definições do ERP não foram gravadas.\r\n%1\r\n"
                             "Os valores indicados ficam em uso até o terminal ser reiniciado.")
                  .arg(erro),
              0, 3345);
    return true;
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
