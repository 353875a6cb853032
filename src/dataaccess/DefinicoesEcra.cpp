#include "dataaccess/DefinicoesEcra.h"

#include <QStringList>

#include "dataaccess/LeitorConfiguracao.h"

const QString DefinicoesEcra::Seccao = QStringLiteral("Ecrã");
const QString DefinicoesEcra::ChaveConfirmarSair = QStringLiteral("Confirmar Sair");
const QString DefinicoesEcra::ChaveNivelSupervisor = QStringLiteral("Nível Supervisor");
const QString DefinicoesEcra::ChaveTwipsPorPixel = QStringLiteral("Twips por Pixel");

bool DefinicoesEcra::Ler(QString* erro)
{
    LeitorConfiguracao leitor(Ficheiro);
    if (!leitor.carregar(erro)) {
        *this = DefinicoesEcra(Ficheiro);
        return false;
    }
    return Ler(leitor, erro);
}

bool DefinicoesEcra::Ler(LeitorConfiguracao& leitor, QString* erro)
{
    *this = DefinicoesEcra(leitor.ficheiro());
    QStringList problemas;

    const QString sair = leitor.Ler(Seccao, ChaveConfirmarSair).trimmed();
    if (sair == QLatin1String("1")) {
        ConfirmarSair = true;
    } else if (!sair.isEmpty() && sair != QLatin1String("0")) {
        ConfirmarSair = true;
        problemas
            << QStringLiteral("\"%1\" tem de ser 0 ou 1 (está \"%2\"); vale 1").arg(ChaveConfirmarSair, sair.left(20));
    }

    const QString nivel = leitor.Ler(Seccao, ChaveNivelSupervisor).trimmed();
    if (!nivel.isEmpty()) {
        bool ok = false;
        const int n = nivel.toInt(&ok);
        if (ok && n >= 0 && n <= 32767)
            NivelSupervisor = qint16(n);
        else
            problemas << QStringLiteral("\"%1\" tem de ser um nível de funcionário, um número inteiro de 0 a 32767 "
                                        "(está \"%2\"); vale %3")
                             .arg(ChaveNivelSupervisor, nivel.left(20))
                             .arg(NivelSupervisorPadrao);
    }

    const QString densidade = leitor.Ler(Seccao, ChaveTwipsPorPixel).trimmed();
    if (!densidade.isEmpty()) {
        bool ok = false;
        const double v = QString(densidade).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
        if (ok && v >= TwipsPorPixelMinimo && v <= TwipsPorPixelMaximo)
            TwipsPorPixel = v;
        else
            problemas << QStringLiteral("\"%1\" tem de ser um número de %2 a %3, ou vazio para ocupar o ecrã "
                                        "(está \"%4\"); o ecrã é ocupado")
                             .arg(ChaveTwipsPorPixel)
                             .arg(TwipsPorPixelMinimo)
                             .arg(TwipsPorPixelMaximo)
                             .arg(densidade.left(20));
    }

    if (problemas.isEmpty()) return true;
    if (erro)
        *erro = QStringLiteral("Ficheiro de configuração %1, secção \"%2\": %3. Corrija o ficheiro.")
                    .arg(Ficheiro, Seccao, problemas.join(QStringLiteral("; ")));
    return false;
}
