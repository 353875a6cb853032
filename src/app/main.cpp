#include <exception>

#include <QApplication>
#include <QTimer>

#include "app/Arranque.h"
#include "app/mod_main.h"
#include "base/PastaPrograma.h"
#include "dataaccess/LigacaoDados.h"
#include "screens/EcraTerminal.h"
#include "screens/InteraccaoEcra.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Terminal"));
    InteraccaoEcra operador(nullptr);
    ResultadoMain arranque;
    try {
        arranque = Main(app.arguments().mid(1), &operador);
    } catch (const std::exception& e) {
        operador.MensagemSistema(QStringLiteral("Erro no arranque (%1)").arg(QString::fromUtf8(e.what())), 2);
        return 1;
    }
    if (!arranque.ecra) return arranque.codigoSaida;
    operador.setPai(arranque.ecra.get());
    // One line once the panels are loaded (at the first full-screen resize), for the journal of
    // a kiosk and for the package test: which screen, configuration and database (no password).
    QTimer pronto;
    QObject::connect(&pronto, &QTimer::timeout, [&] {
        EcraTerminal* ecra = arranque.ecra.get();
        if (!ecra->EcraCarregado) return;
        pronto.stop();
        qInfo().noquote() << QStringLiteral("Terminal pronto: ecrã %1 carregado (configuração %2; %3).")
                                 .arg(QString::fromLatin1(ecra->metaObject()->className()),
                                      CaminhoConfiguracao(Arranque::FicheiroConfiguracao(app.arguments().mid(1))),
                                      ecra->Ligacao ? ecra->Ligacao->parametros().descricao() : QString());
    });
    pronto.start(50);
    const int codigo = app.exec();
    arranque.ecra.reset();
    return codigo;
}
