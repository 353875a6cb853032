#include "screens/frmTerminal.h"

#include <cmath>

#include <QGroupBox>

#include "base/InteraccaoOperador.h"
#include "controls/PainelBotoes.h"
#include "controls/Twips.h"
#include "dataaccess/FalhaServidor.h"
#include "engine/Cl_EQP.h"
#include "engine/cl_Funcionarios.h"
#include "engine/cl_Maquinas.h"

namespace {

// Whole twips, halves to the even neighbour, as a 16-bit value.
int inteiro16(double valor)
{
    const double r = std::nearbyint(valor);
    return int(qint16(qBound(-32768.0, r, 32767.0)));
}

int inteiro(double valor)
{
    return int(std::nearbyint(valor));
}

} // namespace

frmTerminal::frmTerminal(QWidget* parent) : EcraTerminal(parent)
{
    PainelUtilizadores = new PainelBotoes(this);
    PainelObras = new PainelBotoes(this);
    PainelFuncoes = new PainelBotoes(this);
    PainelOperacoes = new PainelBotoes(this);
    PainelMaquinas = new PainelBotoes(this);
    PainelUtilizadores->setObjectName(QStringLiteral("PainelUtilizadores"));
    PainelObras->setObjectName(QStringLiteral("PainelObras"));
    PainelFuncoes->setObjectName(QStringLiteral("PainelFuncoes"));
    PainelOperacoes->setObjectName(QStringLiteral("PainelOperacoes"));
    PainelMaquinas->setObjectName(QStringLiteral("PainelMaquinas"));

    connect(PainelUtilizadores, &PainelBotoes::clicou, this,
            [this](const QString& n, const QString& c) { EscolheuUtilizador(n, c); });
    connect(PainelObras, &PainelBotoes::clicou, this,
            [this](const QString& n, const QString& c) { EscolheuObra(n, c); });
    connect(PainelFuncoes, &PainelBotoes::clicou, this,
            [this](const QString& n, const QString& c) { EscolheuFuncao(n, c); });
    connect(PainelOperacoes, &PainelBotoes::clicou, this,
            [this](const QString& n, const QString& c) { EscolheuOperacao(n, c); });
    connect(PainelMaquinas, &PainelBotoes::clicou, this,
            [this](const QString& n, const QString& c) { EscolheuMaquina(n, c); });
}

frmTerminal::Geometria frmTerminal::CalculaGeometria(double W, double H, double alturaFrameBase)
{
    const double P = H - (alturaFrameBase + 120);
    const int coluna = inteiro16(W * 20 / 100);
    Geometria g;
    g.Utilizadores = QRect(0, 0, coluna, inteiro(P));
    g.Obras = QRect(g.Utilizadores.width(), 0, coluna, inteiro(H * 0.33));
    g.Funcoes =
        QRect(g.Utilizadores.x() + g.Obras.width(), g.Obras.y() + g.Obras.height() + 120, coluna, inteiro(H * 0.4));
    g.Operacoes = QRect(g.Funcoes.x() + g.Funcoes.width(), 0, coluna, inteiro(P));
    g.Maquinas = QRect(g.Operacoes.x() + g.Operacoes.width(), 0, inteiro16(W * 20 / 100 * 1.5), inteiro(P));
    return g;
}

void frmTerminal::Colocar(PainelBotoes* painel, const QRect& t)
{
    painel->setGeometriaTwips(t.x(), t.y(), t.width(), t.height());
}

frmTerminal::Geometria frmTerminal::geometria() const
{
    return CalculaGeometria(Largura(), Altura(), Twips::DePx(FrameBase->height()));
}

void frmTerminal::CarregaEcra()
{
    // Each panel on its own: a list that cannot be read leaves only its own panel empty, to be
    // loaded again later.
    CarregarPainel(QStringLiteral("PainelUtilizadores"), QStringLiteral("CarregaPainelUtilizador"),
                   [this] { CarregaPainelUtilizador(); });
    CarregarPainel(QStringLiteral("PainelObras"), QStringLiteral("CarregaPainelObra"), [this] { CarregaPainelObra(); });
    CarregarPainel(QStringLiteral("PainelFuncoes"), QStringLiteral("CarregaPainelFuncoes"),
                   [this] { CarregaPainelFuncoes(); });
    CarregarPainel(QStringLiteral("PainelOperacoes"), QStringLiteral("CarregaPainelOperacoes"),
                   [this] { CarregaPainelOperacoes(); });
    CarregarPainel(QStringLiteral("PainelMaquinas"), QStringLiteral("CarregaPainelMaquinas"),
                   [this] { CarregaPainelMaquinas(); });
    CarregaPainelBase();
    CarregaPainelHora();
    CarregaPainelInfo();
}

void frmTerminal::CarregaPainelUtilizador()
{
    Colocar(PainelUtilizadores, geometria().Utilizadores);
    cl_Funcionarios catalogo;
    catalogo.setBd_lig(Ligacao);
    PainelUtilizadores->CarregarBotoes_Recordset(catalogo.Lista_Funcionarios());
}

void frmTerminal::CarregaPainelObra()
{
    Colocar(PainelObras, geometria().Obras);
    PainelObras->CarregarBotoes_Lista(
        {QString(), QStringLiteral("Obra"), QStringLiteral("Iniciar Dia"), QStringLiteral("Terminar Dia")},
        {QString(), QStringLiteral("OB001"), QStringLiteral("OB002"), QStringLiteral("OB003")});
}

void frmTerminal::CarregaPainelFuncoes()
{
    Colocar(PainelFuncoes, geometria().Funcoes);
    CarregarFuncoes(PainelFuncoes, {QStringLiteral("Lista de Operações"), QStringLiteral("Terminar Todas Operações")},
                    {QStringLiteral("AC008"), QStringLiteral("AC009")});
}

void frmTerminal::CarregaPainelOperacoes()
{
    Colocar(PainelOperacoes, geometria().Operacoes);
    CarregarOperacoes(PainelOperacoes);
}

void frmTerminal::CarregaPainelMaquinas()
{
    Colocar(PainelMaquinas, geometria().Maquinas);
    cl_Maquinas catalogo;
    catalogo.setBd_lig(Ligacao);
    PainelMaquinas->CarregarBotoes_Recordset(catalogo.Lista_maquinas());
}

void frmTerminal::EscolheuUtilizador(const QString& Nome, const QString& Codigo)
{
    NomeUtilizador = Nome;
    Utilizador = Codigo;
    MostraInfo();
}

void frmTerminal::EscolheuMaquina(const QString& Nome, const QString& Codigo)
{
    Maquina = Codigo;
    DescricaoMaquina = Nome;
    MostraInfo();
}

void frmTerminal::EscolheuObra(const QString& Nome, const QString& Codigo)
{
    Proteger(QStringLiteral("PainelObras"), [&] {
        if (Codigo == QLatin1String("OB001")) {
            IntroduzirObra();
        } else if (Codigo == QLatin1String("OB002") || Codigo == QLatin1String("OB003")) {
            Obra.clear();
            Funcao = Codigo;
            DescricaoFuncao = Nome;
        }
        MostraInfo();
    });
}

void frmTerminal::CodigoLidoEcra(const CodigoLido& c)
{
    QString codigo, nome;
    switch (c.tipo) {
    case TipoCodigo::Funcionario:
        if (LerFuncionario(c, codigo, nome)) EscolheuUtilizador(nome, codigo);
        break;
    case TipoCodigo::Obra:
        ObraLida(c);
        break;
    case TipoCodigo::Operacao:
        if (LerOperacao(c, codigo, nome)) EscolheuOperacao(nome, codigo);
        break;
    case TipoCodigo::Maquina:
        if (LerMaquina(c, codigo, nome)) EscolheuMaquina(nome, codigo);
        break;
    case TipoCodigo::Artigo:
    case TipoCodigo::Desconhecido:
        RecusarLeitura(QStringLiteral("Este terminal não regista consumos de materiais: o código de artigo lido "
                                      "\"%1\" não serve aqui.")
                           .arg(c.lido));
        break;
    }
}

void frmTerminal::MostraSeleccao()
{
    PainelUtilizadores->setSeleccionados({Utilizador});
    // "Obra" while an order is chosen, and the day function chosen there.
    PainelObras->setSeleccionados({Obra.isEmpty() ? QString() : QStringLiteral("OB001"), Funcao});
    PainelFuncoes->setSeleccionados({Funcao});
    PainelOperacoes->setSeleccionados({Operacao});
    PainelMaquinas->setSeleccionados({Maquina});
}

bool frmTerminal::EscolhaFuncaoEcra(const QString& Nome, QString& codigo)
{
    if (codigo != QLatin1String("AC008")) return false;
    if (Utilizador.isEmpty()) {
        operador()->Aviso(QStringLiteral("Deve indicar primeiro o utilizador"), 0, AlturaDialogo);
        codigo.clear();
    } else {
        Registos lista;
        try {
            lista = EQP->ListaOperacoesUtilizador(Utilizador);
        } catch (const ErroBD& e) {
            // The list is only for reading: without the server the function is chosen all the same.
            if (!ServidorInacessivel(e)) throw;
            EsperarServidor();
            operador()->Aviso(QStringLiteral("Sem ligação ao servidor: não é possível mostrar as operações em curso."),
                              0, AlturaDialogo);
            DescricaoFuncao = Nome;
            return true;
        }
        if (lista.vazio()) {
            operador()->Aviso(QStringLiteral("Não ha operações em curso"), 0, AlturaDialogo);
        } else {
            QString texto;
            for (const Registos::Linha linha : lista)
                texto += QStringLiteral("\r\nObra ") + linha.texto(QStringLiteral("fo")) +
                         QStringLiteral(" operação ") + linha.texto(1) + QStringLiteral(" ") +
                         linha.texto(QStringLiteral("Estado"));
            operador()->Aviso(texto, 0, AlturaDialogoLista);
        }
    }
    DescricaoFuncao = Nome;
    return true;
}

void frmTerminal::AposMotor(const QString& codigo, bool resultado, const QString& mensagem)
{
    if (!resultado) operador()->Aviso(mensagem, 2, AlturaDialogo);
    // A refused "Terminar Todas Operações" keeps the selection for another attempt.
    if (resultado || codigo != QLatin1String("AC009")) Limpar();
}
