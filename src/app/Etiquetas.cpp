#include "app/Etiquetas.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <zint.h>

#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextStream>

#include "base/PastaPrograma.h"
#include "dataaccess/DefinicoesLeitor.h"
#include "dataaccess/ErroBD.h"
#include "dataaccess/LigacaoDados.h"
#include "engine/Cl_EQP.h"
#include "engine/cl_Funcionarios.h"
#include "engine/cl_Maquinas.h"
#include "engine/cl_Operacoes.h"

namespace Etiquetas {

namespace {

constexpr double LarguraA4 = 210;
constexpr double AlturaA4 = 297;
constexpr int Resolucao = 1200; // dots per inch of the PDF's coordinates
constexpr double PontosPorMm = Resolucao / 25.4;
constexpr double ZonaLivre = 10;      // modules left blank on each side of the bars
constexpr double ModuloMaximo = 0.5;  // mm; wider bars only make the symbol longer
constexpr double ModuloMinimo = 0.19; // mm; narrower bars are beyond many scanners

QString mm(double v)
{
    return QLocale(QLocale::Portuguese, QLocale::Portugal).toString(v, 'f', v == std::floor(v) ? 0 : 2);
}

QString tituloTipo(TipoCodigo t)
{
    switch (t) {
    case TipoCodigo::Funcionario:
        return QStringLiteral("FUNCIONÁRIO");
    case TipoCodigo::Obra:
        return QStringLiteral("OBRA");
    case TipoCodigo::Operacao:
        return QStringLiteral("OPERAÇÃO");
    case TipoCodigo::Maquina:
        return QStringLiteral("MÁQUINA");
    case TipoCodigo::Artigo:
        return QStringLiteral("ARTIGO");
    case TipoCodigo::Desconhecido:
        break;
    }
    return QString();
}

// What a keyboard-wedge scanner types back exactly: visible ASCII and the space.
bool legivelPorTeclado(const QString& s)
{
    for (QChar c : s)
        if (c.unicode() < 0x20 || c.unicode() > 0x7E) return false;
    return !s.isEmpty();
}

// The bars of a Code 128 symbol, in modules from its left edge.
struct Simbolo
{
    int modulos = 0;
    struct Barra
    {
        double x, largura;
    };
    QList<Barra> barras;
};

bool codificar(const QString& texto, Simbolo& s, QString& erro)
{
    std::unique_ptr<zint_symbol, decltype(&ZBarcode_Delete)> z(ZBarcode_Create(), &ZBarcode_Delete);
    if (!z) {
        erro = QStringLiteral("sem memória para o código de barras");
        return false;
    }
    z->symbology = BARCODE_CODE128;
    z->input_mode = DATA_MODE;
    z->show_hrt = 0; // the text is drawn here, in the label's own font
    const QByteArray dados = texto.toLatin1();
    const int r = ZBarcode_Encode_and_Buffer_Vector(z.get(), reinterpret_cast<const unsigned char*>(dados.constData()),
                                                    int(dados.size()), 0);
    if (r >= ZINT_ERROR || !z->vector || z->width <= 0) {
        erro = QString::fromLatin1(z->errtxt);
        return false;
    }
    const double unidade = double(z->vector->width) / z->width;
    s.modulos = z->width;
    s.barras.clear();
    for (const zint_vector_rect* q = z->vector->rectangles; q; q = q->next)
        s.barras.append({q->x / unidade, q->width / unidade});
    return true;
}

// A font of the given height in the PDF's dots.
QFont fonte(const QString& familia, QFont::StyleHint estilo, double altura, bool negrito = false)
{
    QFont f(familia);
    f.setStyleHint(estilo);
    f.setPixelSize(qMax(1, int(std::lround(altura))));
    f.setBold(negrito);
    return f;
}

QRectF pontos(const QRectF& r)
{
    return QRectF(r.x() * PontosPorMm, r.y() * PontosPorMm, r.width() * PontosPorMm, r.height() * PontosPorMm);
}

void desenhar(QPainter& p, const QRectF& celula, const Etiqueta& e, const Simbolo& s, double modulo, bool contorno)
{
    const QRectF c = pontos(celula);
    if (contorno) {
        p.setPen(QPen(QColor(170, 170, 170), 0.1 * PontosPorMm));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(c.adjusted(0.2 * PontosPorMm, 0.2 * PontosPorMm, -0.2 * PontosPorMm, -0.2 * PontosPorMm),
                          1.5 * PontosPorMm, 1.5 * PontosPorMm);
    }
    const double folga = std::clamp(0.07 * celula.height(), 1.2, 3.0) * PontosPorMm;
    const QRectF dentro = c.adjusted(folga, folga, -folga, -folga);
    const double h = dentro.height();

    // From the top: the kind, the name, the bars, the code as typed.
    const double hTipo = 0.12 * h, hNome = 0.17 * h, hCodigo = 0.15 * h, espaco = 0.04 * h;
    const double hBarras = h - hTipo - hNome - hCodigo - 2 * espaco;
    double y = dentro.top();

    p.setPen(QColor(90, 90, 90));
    p.setFont(fonte(QStringLiteral("DejaVu Sans"), QFont::SansSerif, 0.8 * hTipo));
    p.drawText(QRectF(dentro.left(), y, dentro.width(), hTipo), Qt::AlignLeft | Qt::AlignVCenter, tituloTipo(e.tipo));
    y += hTipo;

    p.setPen(Qt::black);
    const QFont fNome = fonte(QStringLiteral("DejaVu Sans"), QFont::SansSerif, 0.8 * hNome, true);
    p.setFont(fNome);
    p.drawText(QRectF(dentro.left(), y, dentro.width(), hNome), Qt::AlignLeft | Qt::AlignVCenter,
               QFontMetricsF(fNome).elidedText(e.nome, Qt::ElideRight, dentro.width()));
    y += hNome + espaco;

    const double x0 = std::round(dentro.center().x() - s.modulos * modulo / 2);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    for (const Simbolo::Barra& b : s.barras)
        p.fillRect(QRectF(x0 + b.x * modulo, y, b.largura * modulo, hBarras), Qt::black);
    y += hBarras + espaco;

    // The code in a font that tells 0 from O and 1 from I, shrunk when it would not fit.
    QFont fCodigo = fonte(QStringLiteral("DejaVu Sans Mono"), QFont::Monospace, 0.85 * hCodigo);
    const double largura = QFontMetricsF(fCodigo).horizontalAdvance(e.codigo);
    if (largura > dentro.width()) fCodigo.setPixelSize(qMax(1, int(fCodigo.pixelSize() * dentro.width() / largura)));
    p.setPen(Qt::black);
    p.setFont(fCodigo);
    p.drawText(QRectF(dentro.left(), y, dentro.width(), hCodigo), Qt::AlignHCenter | Qt::AlignVCenter, e.codigo);
}

bool numero(const QString& texto, double& valor)
{
    QString t = texto;
    t.replace(u',', u'.');
    bool ok = false;
    valor = t.toDouble(&ok);
    return ok && std::isfinite(valor);
}

} // namespace

QString Folha::Validar() const
{
    if (linhas < 1 || linhas > 50) return QStringLiteral("--linhas tem de estar entre 1 e 50 (está %1).").arg(linhas);
    if (colunas < 1 || colunas > 20)
        return QStringLiteral("--colunas tem de estar entre 1 e 20 (está %1).").arg(colunas);
    if (largura < 25 || altura < 15)
        return QStringLiteral("As etiquetas têm de ter pelo menos 25 × 15 mm para caberem o nome, as barras e o código "
                              "(pedidas %1 × %2 mm).")
            .arg(mm(largura), mm(altura));
    if (espacoHorizontal < 0 || espacoVertical < 0)
        return QStringLiteral("Os espaços entre etiquetas não podem ser negativos.");
    const double ocupaL = colunas * largura + (colunas - 1) * espacoHorizontal + qMax(0.0, margemEsquerda);
    const double ocupaA = linhas * altura + (linhas - 1) * espacoVertical + qMax(0.0, margemTopo);
    constexpr double tolerancia = 0.01;
    if (ocupaL > LarguraA4 + tolerancia)
        return QStringLiteral(
                   "As etiquetas não cabem na largura de uma folha A4: %1 colunas de %2 mm, com os espaços e a "
                   "margem, ocupam %3 mm de %4 mm.")
            .arg(colunas)
            .arg(mm(largura), mm(ocupaL), mm(LarguraA4));
    if (ocupaA > AlturaA4 + tolerancia)
        return QStringLiteral(
                   "As etiquetas não cabem na altura de uma folha A4: %1 linhas de %2 mm, com os espaços e a "
                   "margem, ocupam %3 mm de %4 mm.")
            .arg(linhas)
            .arg(mm(altura), mm(ocupaA), mm(AlturaA4));
    return QString();
}

QRectF Folha::Celula(int i) const
{
    const double totalL = colunas * largura + (colunas - 1) * espacoHorizontal;
    const double totalA = linhas * altura + (linhas - 1) * espacoVertical;
    const double esquerda = margemEsquerda >= 0 ? margemEsquerda : (LarguraA4 - totalL) / 2;
    const double topo = margemTopo >= 0 ? margemTopo : (AlturaA4 - totalA) / 2;
    const int linha = (i % porFolha()) / colunas;
    const int coluna = i % colunas;
    return QRectF(esquerda + coluna * (largura + espacoHorizontal), topo + linha * (altura + espacoVertical), largura,
                  altura);
}

bool Recolher(LigacaoDados& bd, const ClassificadorCodigos& prefixos, const Pedido& pedido, QList<Etiqueta>& etiquetas,
              QString& erro)
{
    etiquetas.clear();
    auto juntar = [&](TipoCodigo tipo, const Registos& lista) {
        for (const Registos::Linha l : lista)
            etiquetas.append({tipo, prefixos.Codificar(tipo, l.texto(1)), l.texto(0)});
    };
    if (pedido.funcionarios) {
        cl_Funcionarios f;
        f.setBd_lig(&bd);
        juntar(TipoCodigo::Funcionario, f.Lista_Funcionarios());
    }
    if (pedido.operacoes) {
        cl_Operacoes o;
        o.setBd_lig(&bd);
        juntar(TipoCodigo::Operacao, o.Lista_Operacoes());
    }
    if (pedido.maquinas) {
        cl_Maquinas m;
        m.setBd_lig(&bd);
        juntar(TipoCodigo::Maquina, m.Lista_maquinas());
    }
    if (pedido.obras) {
        Cl_EQP eqp;
        eqp.setBd_lig(&bd);
        QStringList numeros = pedido.numerosObras;
        if (numeros.isEmpty()) {
            for (const Registos::Linha l : eqp.ListaOrdensPorFUncionario(QString()))
                numeros << l.texto(0);
        } else {
            for (const QString& n : numeros) {
                qint32 estado = 0, subEstado = 0;
                if (!eqp.Existe_FolhaObra(n, estado, subEstado)) {
                    erro = QStringLiteral("A obra %1 não existe; nenhuma etiqueta foi escrita.").arg(n);
                    return false;
                }
            }
        }
        for (const QString& n : numeros)
            etiquetas.append({TipoCodigo::Obra, prefixos.Codificar(TipoCodigo::Obra, n), QStringLiteral("Obra ") + n});
    }
    return true;
}

bool EscreverPdf(const QString& ficheiro, const QList<Etiqueta>& etiquetas, const Folha& folha, QStringList& avisos,
                 QString& erro, int* escritas)
{
    erro = folha.Validar();
    if (!erro.isEmpty()) return false;

    struct Pronta
    {
        const Etiqueta* etiqueta;
        Simbolo simbolo;
        double modulo; // dots
    };
    QList<Pronta> prontas;
    const double larguraUtil = (folha.largura - 2 * std::clamp(0.07 * folha.altura, 1.2, 3.0)) * PontosPorMm;
    for (const Etiqueta& e : etiquetas) {
        const QString tipo = ClassificadorCodigos::NomeTipo(e.tipo);
        if (!legivelPorTeclado(e.codigo)) {
            avisos << QStringLiteral("A etiqueta de %1 \"%2\" (%3) não foi impressa: o código tem caracteres que um "
                                     "leitor não escreve de volta (só letras, algarismos e sinais sem acentos).")
                          .arg(tipo, e.nome, e.codigo);
            continue;
        }
        Pronta p{&e, {}, 0};
        QString porque;
        if (!codificar(e.codigo, p.simbolo, porque)) {
            avisos << QStringLiteral("A etiqueta de %1 \"%2\" (%3) não foi impressa: %4.")
                          .arg(tipo, e.nome, e.codigo, porque);
            continue;
        }
        // Whole dots per module, so that every bar of a symbol has the same width.
        p.modulo = std::floor(qMin(larguraUtil / (p.simbolo.modulos + 2 * ZonaLivre), ModuloMaximo * PontosPorMm));
        const QString barras = mm(p.modulo / PontosPorMm);
        if (p.modulo < 1) {
            avisos << QStringLiteral("A etiqueta de %1 \"%2\" (%3) não foi impressa: o código é longo de mais para a "
                                     "largura da etiqueta.")
                          .arg(tipo, e.nome, e.codigo);
            continue;
        }
        if (p.modulo / PontosPorMm < ModuloMinimo)
            avisos << QStringLiteral("A etiqueta de %1 \"%2\" (%3) fica com barras de %4 mm, estreitas para muitos "
                                     "leitores: use etiquetas mais largas.")
                          .arg(tipo, e.nome, e.codigo, barras);
        prontas.append(std::move(p));
    }
    if (escritas) *escritas = int(prontas.size());
    if (prontas.isEmpty()) {
        erro = QStringLiteral("Não há etiquetas para escrever.");
        return false;
    }

    QPdfWriter pdf(ficheiro);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageOrientation(QPageLayout::Portrait);
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    pdf.setResolution(Resolucao);
    pdf.setTitle(QStringLiteral("Etiquetas"));
    pdf.setCreator(QStringLiteral("terminal-admin"));
    QPainter p;
    if (!p.begin(&pdf)) {
        erro = QStringLiteral("Não foi possível escrever o ficheiro %1: verifique a pasta e as permissões.")
                   .arg(QFileInfo(ficheiro).absoluteFilePath());
        return false;
    }
    for (int i = 0; i < prontas.size(); ++i) {
        if (i > 0 && i % folha.porFolha() == 0) pdf.newPage();
        desenhar(p, folha.Celula(i), *prontas[i].etiqueta, prontas[i].simbolo, prontas[i].modulo, folha.contornos);
    }
    if (!p.end()) {
        erro = QStringLiteral("Não foi possível acabar de escrever o ficheiro %1.")
                   .arg(QFileInfo(ficheiro).absoluteFilePath());
        return false;
    }
    return true;
}

namespace {

QTextStream& saida()
{
    static QTextStream s(stdout);
    return s;
}
QTextStream& erros()
{
    static QTextStream s(stderr);
    return s;
}

int uso()
{
    erros() << "Uso: terminal-admin [-c FICHEIRO] etiquetas [--saida FICHEIRO.pdf] [--linhas N] [--colunas N]\n"
               "         [--largura MM] [--altura MM] [--margem-topo MM] [--margem-esquerda MM]\n"
               "         [--espaco-horizontal MM] [--espaco-vertical MM] [--contornos]\n"
               "         [funcionarios] [operacoes] [maquinas] [obras [NUMERO...]]\n"
               "  Sem tipos: todos; obras sem números: as obras em aberto. Predefinido: 3 × 8 etiquetas de\n"
               "  70 × 37 mm numa folha A4, em etiquetas.pdf.\n";
    return 2;
}

} // namespace

std::unique_ptr<QCoreApplication> Aplicacao(int& argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "etiquetas") != 0) continue;
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        return std::make_unique<QGuiApplication>(argc, argv);
    }
    return std::make_unique<QCoreApplication>(argc, argv);
}

int Comando(LigacaoDados& bd, const QString& ficheiroConfiguracao, const QStringList& argumentos)
{
    Folha folha;
    Pedido pedido;
    QString ficheiro = QStringLiteral("etiquetas.pdf");
    bool emObras = false;
    for (int i = 0; i < argumentos.size(); ++i) {
        const QString& a = argumentos[i];
        if (a == QLatin1String("--contornos")) {
            folha.contornos = true;
            continue;
        }
        if (a.startsWith(QLatin1String("--"))) {
            if (i + 1 >= argumentos.size()) return uso();
            const QString& v = argumentos[++i];
            if (a == QLatin1String("--saida")) {
                ficheiro = v;
                continue;
            }
            double n = 0;
            const bool inteiro = a == QLatin1String("--linhas") || a == QLatin1String("--colunas");
            if (!numero(v, n) || (inteiro && n != std::floor(n))) {
                erros() << a << ": \"" << v << "\" não é "
                        << (inteiro ? "um número inteiro" : "um número de milímetros") << ".\n";
                return 2;
            }
            if (a == QLatin1String("--linhas"))
                folha.linhas = int(n);
            else if (a == QLatin1String("--colunas"))
                folha.colunas = int(n);
            else if (a == QLatin1String("--largura"))
                folha.largura = n;
            else if (a == QLatin1String("--altura"))
                folha.altura = n;
            else if (a == QLatin1String("--margem-topo"))
                folha.margemTopo = n;
            else if (a == QLatin1String("--margem-esquerda"))
                folha.margemEsquerda = n;
            else if (a == QLatin1String("--espaco-horizontal"))
                folha.espacoHorizontal = n;
            else if (a == QLatin1String("--espaco-vertical"))
                folha.espacoVertical = n;
            else
                return uso();
            continue;
        }
        // Bare words after "obras" that name no kind are order numbers.
        const bool eraObras = emObras;
        emObras = false;
        if (a == QLatin1String("funcionarios"))
            pedido.funcionarios = true;
        else if (a == QLatin1String("operacoes"))
            pedido.operacoes = true;
        else if (a == QLatin1String("maquinas"))
            pedido.maquinas = true;
        else if (a == QLatin1String("obras"))
            pedido.obras = emObras = true;
        else if (eraObras) {
            pedido.numerosObras << a;
            emObras = true;
        } else
            return uso();
    }
    if (!pedido.funcionarios && !pedido.operacoes && !pedido.maquinas && !pedido.obras)
        pedido.funcionarios = pedido.operacoes = pedido.maquinas = pedido.obras = true;

    const QString problema = folha.Validar();
    if (!problema.isEmpty()) {
        erros() << problema << "\n";
        return 2;
    }

    DefinicoesLeitor leitor(CaminhoConfiguracao(ficheiroConfiguracao));
    QString erro;
    if (!leitor.Ler(&erro)) {
        erros() << erro << "\n";
        return 1;
    }
    QList<Etiqueta> etiquetas;
    try {
        if (!Recolher(bd, leitor.Prefixos, pedido, etiquetas, erro)) {
            erros() << erro << "\n";
            return 1;
        }
    } catch (const ErroBD& e) {
        erros() << "Erro da base de dados: " << e.texto() << "\n";
        return 1;
    }
    QStringList avisos;
    int escritas = 0;
    const bool ok = EscreverPdf(ficheiro, etiquetas, folha, avisos, erro, &escritas);
    for (const QString& a : avisos)
        erros() << "Aviso: " << a << "\n";
    if (!ok) {
        erros() << erro << "\n";
        return 1;
    }
    const int folhas = (escritas + folha.porFolha() - 1) / folha.porFolha();
    saida() << (escritas == 1 ? "Escrita 1 etiqueta" : QStringLiteral("Escritas %1 etiquetas").arg(escritas)) << " em "
            << folhas << (folhas == 1 ? " folha" : " folhas") << " A4: " << QFileInfo(ficheiro).absoluteFilePath()
            << "\n";
    return 0;
}

} // namespace Etiquetas
