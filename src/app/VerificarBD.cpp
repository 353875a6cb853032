#include "app/VerificarBD.h"

#include <functional>
#include <memory>

#include <QDate>
#include <QDateTime>
#include <QTextStream>

#include "app/Arranque.h"
#include "base/InteraccaoOperador.h"
#include "base/PastaPrograma.h"
#include "base/Rotinas.h"
#include "dataaccess/EsquemaBD.h"
#include "dataaccess/LigacaoDados.h"
#include "dataaccess/RegistosTerminal.h"
#include "engine/Cl_EQP.h"
#include "engine/cl_Funcionarios.h"
#include "engine/cl_Maquinas.h"
#include "engine/cl_Motivos.h"
#include "engine/cl_Operacoes.h"
#include "erp/AbrirLigacaoKova.h"
#include "erp/DefinicoesKova.h"
#include "erp/cl_GravaKova.h"

namespace VerificarBD {
namespace {

// Thrown at the end of every check so that its transaction is rolled back.
struct Desfazer
{
};

// Stands in for the person at the terminal: nothing is shown; error boxes and notices are kept
// as the check's failure text, questions are answered yes, the article list is kept.
class OperadorVerificacao : public OperadorSemEcra
{
public:
    void Aviso(const QString& mensagem, int, int) override { mensagens << umaLinha(mensagem); }
    int MensagemSistema(const QString& texto, int) override
    {
        mensagens << umaLinha(texto);
        return 1;
    }
    QString ListaSelecao(const QString&, int, const Registos& linhas, const QString&, const QList<int>&) override
    {
        codigosLista.clear();
        for (const auto& l : linhas)
            codigosLista << l.texto(0);
        return {};
    }

    static QString umaLinha(QString t)
    {
        t.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        t.replace(u'\n', u' ');
        return t.simplified();
    }

    QStringList mensagens;
    QStringList codigosLista;
};

// The throwaway rows: codes that no row holds (looked up first), texts with Portuguese letters
// so that a wrong client character set shows as a difference.
struct Dados
{
    QString funcionario, nomeFuncionario;
    int operacao = 0;
    QString nomeOperacao;
    QString maquina, nomeMaquina;
    QString motivo, nomeMotivo;
    QString obra, processo;
    QString artigo, nomeArtigo;
    QString armazem; // the raw-material warehouse of oka_Contador ("" when there is none)
};

class Verificador
{
public:
    Verificador(LigacaoDados& bd, const QString& ficheiro) : m_bd(bd), m_ficheiro(ficheiro)
    {
        m_eqp.setBd_lig(&m_bd);
        m_eqp.setOperador(&m_op);
    }

    QList<Resultado> correr();

private:
    static QString recusou(const QString& mensagem)
    {
        return QStringLiteral("a operação recusou: ") + OperadorVerificacao::umaLinha(mensagem);
    }
    QDateTime hora(int h, int m) const { return QDateTime(QDate::currentDate(), QTime(h, m)); }

    // A code of `largura` characters starting with `prefixo` that no row of the table holds.
    // `tabela` and `coluna` are this file's fixed names, never values.
    QString codigoLivre(const QString& tabela, const QString& coluna, const QString& prefixo, int largura);
    void escolherDados(bool materiais);
    void inserir(const QString& tabela, const QString& colunas, const QVariantList& valores);
    void criarDados();
    void inserirLinhaPreparada();
    // One check: the throwaway rows, then `corpo` ("" when it passed, else why not), all in one
    // transaction that is rolled back whatever happens.
    void passo(const QString& nome, const std::function<QString()>& corpo);
    void naoVerificado(const QString& nome, const QString& porque)
    {
        m_resultados << Resultado{nome, Estado::NaoVerificado, porque};
    }
    QString iniciar(const QDateTime& quando, bool fazTestes = false);

    void catalogos();
    void ordens();
    void escritas();
    void materiais();

    LigacaoDados& m_bd;
    QString m_ficheiro;
    OperadorVerificacao m_op;
    Cl_EQP m_eqp;
    Dados m_d;
    bool m_materiais = false;
    QList<Resultado> m_resultados;
};

QString Verificador::codigoLivre(const QString& tabela, const QString& coluna, const QString& prefixo, int largura)
{
    for (int n = 1; n < 1000; ++n) {
        const QString codigo = prefixo + QString::number(n).rightJustified(largura - int(prefixo.size()), u'0');
        const Registos r =
            m_bd.consultar(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 = ?").arg(tabela, coluna), {codigo});
        if (r.primeira().inteiro(0) == 0) return codigo;
    }
    throw ErroBD(QStringLiteral("Não há um código livre com o prefixo %1 na tabela %2.").arg(prefixo, tabela));
}

void Verificador::escolherDados(bool materiais)
{
    m_d.funcionario =
        codigoLivre(QStringLiteral("oka_Funcionarios"), QStringLiteral("FuncId"), QStringLiteral("VRF"), 6);
    m_d.nomeFuncionario = QStringLiteral("Funcionário de verificação (ãçé)");
    const Registos op = m_bd.consultar(QStringLiteral("SELECT MAX(OperId) FROM oka_Operacoes"));
    m_d.operacao = int(op.primeira().inteiro(0)) + 1;
    m_d.nomeOperacao = QStringLiteral("Operação de verificação");
    m_d.maquina = codigoLivre(QStringLiteral("oka_Maquinas"), QStringLiteral("MaqId"), QStringLiteral("VRF"), 6);
    m_d.nomeMaquina = QStringLiteral("Máquina de verificação");
    m_d.motivo = codigoLivre(QStringLiteral("oka_Motivos"), QStringLiteral("codigo"), QStringLiteral("VRF"), 6);
    m_d.nomeMotivo = QStringLiteral("Motivo de verificação");
    // The order number is at most 6 characters where it reaches the material posting.
    m_d.obra = codigoLivre(QStringLiteral("oka_CabOrc"), QStringLiteral("Fo"), QStringLiteral("VRF"), 6);
    m_d.processo = QStringLiteral("VERIFICAÇÃO");
    if (!materiais) return;
    m_d.artigo = codigoLivre(QStringLiteral("ARTIGOS"), QStringLiteral("CODIGO"), QStringLiteral("VRF"), 6);
    m_d.nomeArtigo = QStringLiteral("Artigo de verificação");
    const Registos c = m_bd.consultar(QStringLiteral("SELECT ArmMp FROM oka_Contador"));
    m_d.armazem = c.vazio() ? QString() : c.primeira().texto(0).trimmed();
}

// Only the columns the checks rely on are given: the others keep their defaults, so that a
// fault in one of them shows only in the operations that use it.
void Verificador::inserir(const QString& tabela, const QString& colunas, const QVariantList& valores)
{
    QStringList marcas;
    for (qsizetype i = 0; i < valores.size(); ++i)
        marcas << QStringLiteral("?");
    try {
        m_bd.executar(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(tabela, colunas, marcas.join(u',')),
                      valores);
    } catch (const ErroBD& e) {
        throw ErroBD(QStringLiteral("dados de verificação na tabela %1: %2").arg(tabela, e.texto()), e.codigoNativo(),
                     e.tipo());
    }
}

void Verificador::criarDados()
{
    inserir(QStringLiteral("oka_Funcionarios"), QStringLiteral("FuncId, FuncNome, Nivel, CustoHora"),
            {m_d.funcionario, m_d.nomeFuncionario, 0, Currency(10).paraBD()});
    inserir(QStringLiteral("oka_Operacoes"), QStringLiteral("OperId, OperNome"), {m_d.operacao, m_d.nomeOperacao});
    inserir(QStringLiteral("oka_Maquinas"), QStringLiteral("MaqId, MaqNome, CustoHora"),
            {m_d.maquina, m_d.nomeMaquina, Currency(20).paraBD()});
    inserir(QStringLiteral("oka_Motivos"), QStringLiteral("codigo, Motivo"), {m_d.motivo, m_d.nomeMotivo});
    inserir(QStringLiteral("oka_CabOrc"), QStringLiteral("Fo, EstadoFo, SubEstado, Processo"),
            {m_d.obra, 1, 0, m_d.processo});
    if (!m_materiais) return;
    // Its group is its own code, so the consumption list (every group but the excluded one) shows it.
    inserir(QStringLiteral("ARTIGOS"), QStringLiteral("CODIGO, NOME, GRUPO, ARTOUDES, UNBASE"),
            {m_d.artigo, m_d.nomeArtigo, m_d.artigo, 0, QStringLiteral("UN")});
    if (!m_d.armazem.isEmpty())
        inserir(QStringLiteral("ARTARM"), QStringLiteral("ARTIGO, ARMAZEM, EXISTENC"),
                {m_d.artigo, m_d.armazem, Currency(100).paraBD()});
}

// A line the office prepared for the operation: no start, no end, no employee.
void Verificador::inserirLinhaPreparada()
{
    inserir(QStringLiteral("oka_LinFo_Ope"),
            QStringLiteral("NoFo, NoLinha, Data, HoraInicio, HoraFim, Total, Opera, Descritivo, Estado"),
            {m_d.obra, 1, DataBD(QDate::currentDate()), 0, 0, 0, m_d.operacao, m_d.nomeOperacao, 0});
}

void Verificador::passo(const QString& nome, const std::function<QString()>& corpo)
{
    QString falha;
    try {
        m_bd.transacao([&] {
            m_op.mensagens.clear();
            falha.clear();
            criarDados();
            falha = corpo();
            throw Desfazer{};
        });
        falha = QStringLiteral("a transacção terminou sem ser desfeita");
    } catch (const Desfazer&) {
    } catch (const ErroBD& e) {
        falha = OperadorVerificacao::umaLinha(e.texto());
    } catch (const std::exception& e) {
        falha = OperadorVerificacao::umaLinha(QString::fromUtf8(e.what()));
    }
    // What the code showed the operator names the first fault; a later error may only follow
    // from it (PostgreSQL refuses every statement after one failed).
    QStringList textos = m_op.mensagens;
    if (!falha.isEmpty() && !textos.contains(falha)) textos << falha;
    m_resultados << Resultado{nome, textos.isEmpty() ? Estado::Ok : Estado::Erro, textos.join(QStringLiteral(" | "))};
}

QString Verificador::iniciar(const QDateTime& quando, bool fazTestes)
{
    QString mensagem;
    if (!m_eqp.Operacao_Inicio(m_d.funcionario, m_d.obra, QString::number(m_d.operacao), m_d.maquina, quando, mensagem,
                               fazTestes))
        return recusou(mensagem);
    return {};
}

void Verificador::catalogos()
{
    // A list must hold the throwaway row under its code (the column the screens read).
    auto contem = [](const Registos& r, int coluna, const QString& codigo, const QString& oQue) {
        for (const auto& l : r)
            if (l.texto(coluna) == codigo) return QString();
        return QStringLiteral("a lista não inclui %1 de verificação (%2)").arg(oQue, codigo);
    };
    passo(QStringLiteral("cl_Funcionarios::Lista_Funcionarios"), [&] {
        cl_Funcionarios f;
        f.setBd_lig(&m_bd);
        return contem(f.Lista_Funcionarios(), 1, m_d.funcionario, QStringLiteral("o funcionário"));
    });
    passo(QStringLiteral("cl_Funcionarios::Ler"), [&] {
        cl_Funcionarios f;
        f.setBd_lig(&m_bd);
        f.Codigo = m_d.funcionario;
        if (!f.Ler()) return QStringLiteral("o funcionário de verificação não foi encontrado");
        if (f.Nome != m_d.nomeFuncionario)
            return QStringLiteral("o nome lido \"%1\" não é o gravado \"%2\" (verifique o conjunto de caracteres do "
                                  "cliente, ClientCharset=UTF-8)")
                .arg(f.Nome, m_d.nomeFuncionario);
        if (f.CustoHora != Currency(10))
            return QStringLiteral("o custo hora lido %1 não é o gravado 10.0000").arg(f.CustoHora.toString());
        return QString();
    });
    passo(QStringLiteral("cl_Operacoes::Lista_Operacoes"), [&] {
        cl_Operacoes o;
        o.setBd_lig(&m_bd);
        return contem(o.Lista_Operacoes(), 1, QString::number(m_d.operacao), QStringLiteral("a operação"));
    });
    passo(QStringLiteral("cl_Operacoes::Ler"), [&] {
        cl_Operacoes o;
        o.setBd_lig(&m_bd);
        o.Codigo = QString::number(m_d.operacao);
        if (!o.Ler()) return QStringLiteral("a operação de verificação não foi encontrada");
        return o.Descricao == m_d.nomeOperacao
                   ? QString()
                   : QStringLiteral("o nome lido \"%1\" não é o gravado \"%2\"").arg(o.Descricao, m_d.nomeOperacao);
    });
    passo(QStringLiteral("cl_Maquinas::Lista_maquinas"), [&] {
        cl_Maquinas m;
        m.setBd_lig(&m_bd);
        return contem(m.Lista_maquinas(), 1, m_d.maquina, QStringLiteral("a máquina"));
    });
    passo(QStringLiteral("cl_Motivos::Lista_Motivos"), [&] {
        cl_Motivos m;
        m.setBid_lig(&m_bd);
        return contem(m.Lista_Motivos(), 1, m_d.motivo, QStringLiteral("o motivo"));
    });
}

void Verificador::ordens()
{
    passo(QStringLiteral("Cl_EQP::Existe_FolhaObra"), [&] {
        qint32 estado = 0, subEstado = 0;
        if (!m_eqp.Existe_FolhaObra(m_d.obra, estado, subEstado))
            return QStringLiteral("a ordem de verificação não foi encontrada");
        return estado == 1 ? QString() : QStringLiteral("a ordem de verificação tem o estado %1, não 1").arg(estado);
    });
    passo(QStringLiteral("Cl_EQP::aNumeroProcessoDaOrdem"), [&] {
        const QString processo = m_eqp.aNumeroProcessoDaOrdem(m_d.obra);
        return processo == m_d.processo
                   ? QString()
                   : QStringLiteral("o processo lido \"%1\" não é o gravado \"%2\"").arg(processo, m_d.processo);
    });
    passo(QStringLiteral("Cl_EQP::ListaOrdensPorFUncionario"), [&] {
        for (const auto& l : m_eqp.ListaOrdensPorFUncionario(m_d.funcionario))
            if (l.texto(0) == m_d.obra) return QString();
        return QStringLiteral("a lista não inclui a ordem de verificação (%1)").arg(m_d.obra);
    });
    passo(QStringLiteral("Cl_EQP::ListaOperacoesUtilizador"), [&] {
        if (const QString f = iniciar(hora(8, 0)); !f.isEmpty()) return f;
        const Registos r = m_eqp.ListaOperacoesUtilizador(m_d.funcionario);
        if (r.RecordCount() != 1 || r.primeira().texto(0) != m_d.obra)
            return QStringLiteral("a lista devia ter uma linha, da ordem %1; tem %2")
                .arg(m_d.obra)
                .arg(r.RecordCount());
        return QString();
    });
}

void Verificador::escritas()
{
    passo(QStringLiteral("Cl_EQP::Operacao_Inicio (linha nova)"), [&] { return iniciar(hora(8, 0), true); });
    passo(QStringLiteral("Cl_EQP::Operacao_Inicio (linha preparada)"), [&] {
        inserirLinhaPreparada();
        return iniciar(hora(8, 0), true);
    });
    passo(QStringLiteral("Cl_EQP::Operacao_fim"), [&] {
        if (const QString f = iniciar(hora(8, 0)); !f.isEmpty()) return f;
        QString mensagem;
        // With a token, as the terminals confirm it: the token's table and statement are checked too.
        m_eqp.setToken(RegistosTerminal::NovoToken(), QStringLiteral("verificar"), QStringLiteral("AC008"));
        return m_eqp.Operacao_fim(m_d.funcionario, m_d.obra, QString::number(m_d.operacao), m_d.maquina, hora(9, 30),
                                  mensagem)
                   ? QString()
                   : recusou(mensagem);
    });
    // The state changes: each closes the running line it finds.
    using MudaEstado = std::function<bool(const QDateTime&, QString&)>;
    const QList<std::pair<QString, MudaEstado>> estados{
        {QStringLiteral("Cl_EQP::Obra_Suspender"),
         [&](const QDateTime& t, QString& m) {
             return m_eqp.Obra_Suspender(m_d.funcionario, m_d.obra, t, m_d.nomeMotivo, m);
         }},
        {QStringLiteral("Cl_EQP::Obra_PorTerminar"),
         [&](const QDateTime& t, QString& m) { return m_eqp.Obra_PorTerminar(m_d.funcionario, m_d.obra, t, m); }},
        {QStringLiteral("Cl_EQP::Obra_PorControlar"),
         [&](const QDateTime& t, QString& m) { return m_eqp.Obra_PorControlar(m_d.funcionario, m_d.obra, t, m); }},
        {QStringLiteral("Cl_EQP::Obra_Terminar"),
         [&](const QDateTime& t, QString& m) { return m_eqp.Obra_Terminar(m_d.funcionario, m_d.obra, t, m); }},
        {QStringLiteral("Cl_EQP::Obra_NaoConforme"),
         [&](const QDateTime& t, QString& m) { return m_eqp.Obra_NaoConforme(m_d.funcionario, m_d.obra, t, m); }},
        {QStringLiteral("Cl_EQP::Obra_SubContrato"),
         [&](const QDateTime& t, QString& m) { return m_eqp.Obra_SubContrato(m_d.obra, t, m); }},
        {QStringLiteral("Cl_EQP::Dia_Fim"),
         [&](const QDateTime& t, QString& m) { return m_eqp.Dia_Fim(m_d.funcionario, t, m); }},
        {QStringLiteral("Cl_EQP::Dia_Inicio"),
         [&](const QDateTime& t, QString& m) {
             return m_eqp.Dia_Fim(m_d.funcionario, t, m) && m_eqp.Dia_Inicio(m_d.funcionario, t.addSecs(3600), m);
         }},
        {QStringLiteral("Cl_EQP::TerminaTodasOperacoes"),
         [&](const QDateTime& t, QString& m) { return m_eqp.TerminaTodasOperacoes(m_d.funcionario, t, m); }},
    };
    for (const auto& estado : estados)
        passo(estado.first, [&] {
            if (const QString f = iniciar(hora(8, 0)); !f.isEmpty()) return f;
            QString mensagem;
            return estado.second(hora(9, 30), mensagem) ? QString() : recusou(mensagem);
        });
}

void Verificador::materiais()
{
    passo(QStringLiteral("Cl_EQP::cm_ListaArtigos"), [&] {
        m_op.codigosLista.clear();
        m_eqp.cm_ListaArtigos();
        return m_op.codigosLista.contains(m_d.artigo)
                   ? QString()
                   : QStringLiteral("a lista não inclui o artigo de verificação (%1)").arg(m_d.artigo);
    });
    passo(QStringLiteral("Cl_EQP::CM_ValidaArtigo"), [&] {
        QString descricao, mensagem, unidade;
        double factor = 0;
        if (!m_eqp.CM_ValidaArtigo(m_d.artigo, descricao, factor, mensagem, unidade)) return recusou(mensagem);
        return descricao == m_d.nomeArtigo
                   ? QString()
                   : QStringLiteral("o nome lido \"%1\" não é o gravado \"%2\"").arg(descricao, m_d.nomeArtigo);
    });
    passo(QStringLiteral("Cl_EQP::ExisteQuantidadeNoArmazem"), [&] {
        QString mensagem, armazem;
        return m_eqp.ExisteQuantidadeNoArmazem(m_d.artigo, Currency(1), mensagem, armazem) ? QString()
                                                                                           : recusou(mensagem);
    });

    // The link as start-up opens it; postings go through a second one without the log folder, so
    // that a posting undone here leaves no line in the ERP log.
    const QString nomeLigacao = QStringLiteral("AbrirLigacaoKova");
    passo(nomeLigacao, [&] {
        std::unique_ptr<LigacaoKova> link;
        QString mensagem;
        return AbrirLigacaoKova(link, m_ficheiro, nullptr, &m_bd, &mensagem) ? QString()
                                                                             : OperadorVerificacao::umaLinha(mensagem);
    });
    const QString nomeGravacao = QStringLiteral("cl_GravaKova::GravaSaidas");
    const ValoresKova v = DefinicoesKova(CaminhoConfiguracao(m_ficheiro)).Valores();
    std::unique_ptr<LigacaoKova> link = CriarLigacaoKova();
    link->setModo(2);
    link->setBaseDados(&m_bd);
    if (!link->PartilhaTransacao(&m_bd)) {
        naoVerificado(nomeGravacao, QStringLiteral("o ERP grava fora desta base de dados e a gravação não se desfaz"));
        return;
    }
    if (!link->Ligar(v.PercursoWindows, QString(), v.Empresa, v.UtilizadorKova, v.PasswordKova)) {
        naoVerificado(nomeGravacao, QStringLiteral("sem ligação ao ERP (veja %1)").arg(nomeLigacao));
        return;
    }
    passo(nomeGravacao, [&] {
        QString mensagem, armazem;
        if (!m_eqp.ExisteQuantidadeNoArmazem(m_d.artigo, Currency(1), mensagem, armazem)) return recusou(mensagem);
        cl_GravaKova gravacao;
        gravacao.setBd(&m_bd);
        gravacao.setLigKova(link.get());
        gravacao.setOperador(&m_op);
        const QString vazio;
        if (!gravacao.GravaSaidas({vazio, m_d.artigo}, {0.0, 1.0}, {0.0, 2.5}, {vazio, vazio},
                                  m_eqp.aNumeroProcessoDaOrdem(m_d.obra), m_d.obra, {vazio, vazio}, {vazio, vazio},
                                  {vazio, m_d.nomeArtigo}, {vazio, armazem}))
            return QStringLiteral("a gravação falhou");
        return gravacao.documento().NumeroDocumento > 0 ? QString()
                                                        : QStringLiteral("o ERP não devolveu o número do documento");
    });
}

QList<Resultado> Verificador::correr()
{
    if (!EsquemaBD::Existe(m_bd))
        return {
            Resultado{QStringLiteral("EsquemaBD::Existe"), Estado::Erro,
                      QStringLiteral("a base de dados não tem as tabelas do terminal (terminal-admin init cria-as)")}};
    m_materiais = Arranque::TipoTerminal(m_ficheiro) != 0;
    try {
        escolherDados(m_materiais);
    } catch (const ErroBD& e) {
        return {
            Resultado{QStringLiteral("Dados de verificação"), Estado::Erro, OperadorVerificacao::umaLinha(e.texto())}};
    }
    catalogos();
    ordens();
    escritas();
    if (m_materiais) {
        materiais();
    } else {
        naoVerificado(QStringLiteral("Consumo de materiais e ERP"),
                      QStringLiteral("só num terminal ERP (\"Tipo de Terminal\" diferente de 0)"));
    }
    return m_resultados;
}

} // namespace

QList<Resultado> Verificar(LigacaoDados& bd, const QString& ficheiroConfiguracao)
{
    // A few tries ride out a busy database; more only delay the report of a statement that fails
    // (on ODBC every failure inside a transaction counts as worth another try).
    struct Tentativas
    {
        LigacaoDados& bd;
        int antes;
        ~Tentativas() { bd.tentativasMaximas = antes; }
    } tentativas{bd, bd.tentativasMaximas};
    bd.tentativasMaximas = qMin(tentativas.antes, 3);
    return Verificador(bd, ficheiroConfiguracao).correr();
}

int Comando(LigacaoDados& bd, const QString& ficheiroConfiguracao, const QStringList& argumentos, QTextStream& out,
            QTextStream& err)
{
    if (!argumentos.isEmpty()) {
        err << "Uso: terminal-admin [-c FICHEIRO] verificar\n";
        return 2;
    }
    out << "Verificação da base de dados (" << bd.parametros().descricao()
        << "): cada instrução corre numa transacção que é sempre desfeita.\n";
    int ok = 0, erros = 0, naoVerificadas = 0;
    for (const Resultado& r : Verificar(bd, ficheiroConfiguracao)) {
        switch (r.estado) {
        case Estado::Ok:
            ++ok;
            out << "OK    " << r.nome << "\n";
            break;
        case Estado::Erro:
            ++erros;
            out << "ERRO  " << r.nome << ": " << r.texto << "\n";
            break;
        case Estado::NaoVerificado:
            ++naoVerificadas;
            out << "--    " << r.nome << ": não verificado, " << r.texto << "\n";
            break;
        }
        out.flush();
    }
    out << (ok + erros + naoVerificadas) << " verificações: " << ok << " OK, " << erros << " com erro, "
        << naoVerificadas << " não verificadas. Nada foi gravado.\n";
    return erros == 0 ? 0 : 1;
}

} // namespace VerificarBD
