#include "screens/TextoConfirmacao.h"

#include <QStringList>

#include "engine/Cl_EQP.h"

namespace {

const QString Traco = QStringLiteral(" — ");

QString Hora(const ResultadoEQP& r)
{
    return QStringLiteral(" às ") + r.DataHora.time().toString(QStringLiteral("hh:mm"));
}

// "obra 26001", "obras 26001 e 26002", "obras 26001, 26002 e 26003".
QString Obras(const QStringList& obras)
{
    if (obras.isEmpty()) return {};
    if (obras.size() == 1) return QStringLiteral("obra ") + obras.first();
    return QStringLiteral("obras ") + obras.mid(0, obras.size() - 1).join(QStringLiteral(", ")) +
           QStringLiteral(" e ") + obras.last();
}

// hh.mmss worked as "2h14".
QString Duracao(const Currency& total)
{
    const qint64 bruto = total.raw();
    const qint64 horas = bruto / 10000;
    const qint64 minutos = (bruto % 10000) / 100;
    return QStringLiteral("%1h%2").arg(horas).arg(minutos, 2, 10, QLatin1Char('0'));
}

} // namespace

QString Operacoes(int n, const QString& participio)
{
    if (n == 1) return QStringLiteral("1 operação ") + participio;
    // Participles and adjectives of this screen take -s; "conforme" too.
    return QStringLiteral("%1 operações %2s").arg(n).arg(participio);
}

QString TextoConfirmacao(const SeleccaoConfirmada& s, const ResultadoEQP& r, const QString& mensagem)
{
    const QString& f = s.Funcao;
    const QString obra = r.Obra.isEmpty() ? s.Obra : r.Obra;
    QString texto;
    if (f == QLatin1String("AC007")) {
        const QString operacao = r.Descritivo.isEmpty() ? s.DescricaoOperacao : r.Descritivo;
        texto = QStringLiteral("Operação ") + operacao + QStringLiteral(" iniciada") + Hora(r) + Traco +
                QStringLiteral("obra ") + obra;
        if (!s.DescricaoMaquina.isEmpty()) texto += QStringLiteral(", máquina ") + s.DescricaoMaquina;
    } else if (f == QLatin1String("AC008")) {
        texto = QStringLiteral("Operação ") + s.DescricaoOperacao + QStringLiteral(" terminada") + Hora(r) + Traco +
                QStringLiteral("obra ") + obra + QStringLiteral(", ") + Duracao(r.Total) +
                QStringLiteral(" de trabalho");
    } else if (f == QLatin1String("AC001")) {
        texto = QStringLiteral("Obra ") + obra + QStringLiteral(" suspensa") + Hora(r);
        if (!s.MotivoSuspensao.isEmpty()) texto += QStringLiteral(" (") + s.MotivoSuspensao + QStringLiteral(")");
        texto += Traco + Operacoes(r.Linhas, QStringLiteral("suspensa"));
    } else if (f == QLatin1String("AC002") || f == QLatin1String("AC003") || f == QLatin1String("AC004") ||
               f == QLatin1String("AC005") || f == QLatin1String("AC006")) {
        static const QStringList codigos{QStringLiteral("AC002"), QStringLiteral("AC003"), QStringLiteral("AC004"),
                                         QStringLiteral("AC005"), QStringLiteral("AC006")};
        static const QStringList estados{QStringLiteral("por terminar"), QStringLiteral("por controlar"),
                                         QStringLiteral("controlada"), QStringLiteral("não conforme"),
                                         QStringLiteral("subcontratada")};
        const QString estado = estados[codigos.indexOf(f)];
        texto = QStringLiteral("Obra ") + obra + QLatin1Char(' ') + estado + Hora(r);
        if (r.Linhas > 0)
            texto += Traco + Operacoes(r.Linhas, f == QLatin1String("AC005") ? QStringLiteral("não conforme")
                                                                             : QStringLiteral("terminada"));
    } else if (f == QLatin1String("AC009")) {
        texto = Operacoes(r.Linhas, QStringLiteral("terminada")) + Hora(r) + Traco + Obras(r.Obras);
    } else if (f == QLatin1String("OB002")) {
        texto = QStringLiteral("Dia iniciado") + Hora(r) + Traco + Operacoes(r.Linhas, QStringLiteral("retomada"));
        if (!r.Obras.isEmpty()) texto += QStringLiteral(" (") + Obras(r.Obras) + QStringLiteral(")");
    } else if (f == QLatin1String("OB003")) {
        texto = QStringLiteral("Dia terminado") + Hora(r) + Traco + Operacoes(r.Linhas, QStringLiteral("interrompida"));
        if (!r.Obras.isEmpty()) texto += QStringLiteral(" (") + Obras(r.Obras) + QStringLiteral(")");
    } else {
        texto = QStringLiteral("Registado") + Hora(r);
    }
    QStringList detalhe;
    if (!s.NomeUtilizador.isEmpty()) detalhe << s.NomeUtilizador;
    // Only a day's start leaves a message worth reading on success (a line it could not resume);
    // a start leaves the question the operator has just answered.
    if (f == QLatin1String("OB002") && !mensagem.trimmed().isEmpty()) detalhe << mensagem.trimmed();
    if (!detalhe.isEmpty()) texto += QLatin1Char('\n') + detalhe.join(QLatin1Char('\n'));
    return texto;
}
