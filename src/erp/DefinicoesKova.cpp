#include "erp/DefinicoesKova.h"

#include <QFileInfo>

#include "dataaccess/LeitorConfiguracao.h"

namespace {

// The reader trims values and strips one pair of enclosing quotes: quote a value that would
// otherwise not read back as written (blanks at either end, enclosing quotes).
QString paraFicheiro(const QString& valor)
{
    const bool entreAspas = valor.size() >= 2 && valor.startsWith(u'"') && valor.endsWith(u'"');
    if (valor != valor.trimmed() || entreAspas) return u'"' + valor + u'"';
    return valor;
}

} // namespace

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
    LeitorConfiguracao leitor(Ficheiro);
    // A missing file is created; an unreadable one is not overwritten.
    QString erroLeitura;
    if (!leitor.carregar(&erroLeitura) && QFileInfo::exists(Ficheiro)) {
        if (erro) *erro = erroLeitura;
        return false;
    }
    leitor.Escrever(Seccao, ChavePercursoWindows, paraFicheiro(valores.PercursoWindows));
    leitor.Escrever(Seccao, ChavePercursoLog, paraFicheiro(valores.PercursoLog));
    leitor.Escrever(Seccao, ChaveEmpresa, paraFicheiro(valores.Empresa));
    leitor.Escrever(Seccao, ChaveUtilizador, paraFicheiro(valores.UtilizadorKova));
    leitor.Escrever(Seccao, ChavePassword, paraFicheiro(valores.PasswordKova));
    return leitor.gravar(erro);
}
