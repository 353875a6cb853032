#include "app/mod_main.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>

#include "app/Arranque.h"
#include "base/InteraccaoOperador.h"
#include "base/Mod_log.h"
#include "base/PastaPrograma.h"
#include "base/Rotinas.h"
#include "controls/Fontes.h"
#include "controls/Twips.h"
#include "dataaccess/DefinicoesBD.h"
#include "dataaccess/DefinicoesEcra.h"
#include "dataaccess/DefinicoesLeitor.h"
#include "dataaccess/LeitorConfiguracao.h"
#include "dataaccess/LigacaoDados.h"
#include "erp/AbrirLigacaoKova.h"
#include "erp/LigacaoKova.h"
#include "screens/frmTerminal.h"
#include "screens/frmTerminal2.h"

namespace {

// Opens the connection. Missing settings open the settings dialog; a connection that fails is
// reported (never with the password) and the dialog is offered again. False when the operator
// gives up.
bool AbrirBaseDados(const QString& ficheiro, LigacaoDados& ligacao, InteraccaoOperador* operador)
{
    const QString bdSql = QDir(PastaPrograma()).filePath(QStringLiteral("Catalogos/bd.sql"));
    for (;;) {
        DefinicoesBD definicoes(CaminhoConfiguracao(ficheiro));
        QString erro;
        const bool lidas = definicoes.Ler(&erro);
        // A file that exists but cannot be read is not offered for editing: saving the dialog
        // would put one section in place of everything it holds.
        if (!lidas && !LeitorConfiguracao::Gravavel(definicoes.Ficheiro)) {
            operador->MensagemSistema(erro, 2);
            return false;
        }
        if (lidas && definicoes.faltamDefinicoes()) {
            if (!operador->EditarDefinicoesBD(definicoes, bdSql)) return false;
            continue;
        }
        if (lidas) {
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
            const Arranque::Resultado r = Arranque::AbrirBaseDados(ficheiro, ligacao, nullptr, &erro);
            QGuiApplication::restoreOverrideCursor();
            if (r == Arranque::Resultado::Aberta) return true;
        }
        if (!operador->Confirmacao(erro + QStringLiteral("\r\n\r\nAlterar as definições da ligação?"), 2, 6690))
            return false;
        if (!operador->EditarDefinicoesBD(definicoes, bdSql)) return false;
    }
}

// The screen settings, read before any window is made: the density sizes every widget from then
// on. A value that is not valid is reported and replaced; a file that cannot be read is left to
// the database step, which says why.
DefinicoesEcra LerDefinicoesEcra(const QString& ficheiro, InteraccaoOperador* operador)
{
    DefinicoesEcra definicoes(CaminhoConfiguracao(ficheiro));
    LeitorConfiguracao leitor(definicoes.Ficheiro);
    QString erro;
    if (leitor.carregar() && !definicoes.Ler(leitor, &erro)) operador->MensagemSistema(erro, 0);
    const QScreen* ecra = QGuiApplication::primaryScreen();
    Twips::DefinirPorPixel(Twips::Escolher(definicoes.TwipsPorPixel, ecra ? ecra->size() : QSize()));
    // What has no font of its own (frame captions, lists, system boxes) grows with the rest.
    QGuiApplication::setFont(FonteTerminal(9));
    return definicoes;
}

// The barcode scanner's settings for the screen. A value that is not valid is reported once, here,
// and written to the daily log; its default is used and the terminal starts.
void LerDefinicoesLeitor(const QString& ficheiro, EcraTerminal& ecra, InteraccaoOperador* operador)
{
    DefinicoesLeitor definicoes(CaminhoConfiguracao(ficheiro));
    QString erro;
    if (!definicoes.Ler(&erro)) {
        EscreverLog(QDateTime::currentDateTime().toString(QStringLiteral("dd/MM/yyyy - hh:mm:ss")), QString(),
                    QString(), QString(), QString(), erro);
        operador->MensagemSistema(erro, 0);
    }
    ecra.setDefinicoesLeitor(definicoes);
}

} // namespace

ResultadoMain Main(const QStringList& argumentos, InteraccaoOperador* operador)
{
    ResultadoMain resultado;
    const QString ficheiro = Arranque::FicheiroConfiguracao(argumentos);
    const DefinicoesEcra definicoesEcra = LerDefinicoesEcra(ficheiro, operador);
    auto ligacao = std::make_unique<LigacaoDados>();
    if (!AbrirBaseDados(ficheiro, *ligacao, operador)) {
        resultado.codigoSaida = 1;
        return resultado;
    }
    const qint16 tipo = Arranque::TipoTerminal(ficheiro);
    if (tipo != 0) {
        std::unique_ptr<LigacaoKova> link;
        // A refused connection has been reported; the screen is shown with the link as it is.
        AbrirLigacaoKova(link, ficheiro, operador, ligacao.get());
        auto ecra = std::make_unique<frmTerminal2>();
        ecra->setFicheiroConfiguracao(ficheiro);
        ecra->setDefinicoesEcra(definicoesEcra);
        ecra->setOperador(operador);
        ecra->setLigacao(std::move(ligacao));
        ecra->setLigKova(std::move(link));
        LerDefinicoesLeitor(ficheiro, *ecra, operador);
        ecra->Mostra();
        resultado.ecra = std::move(ecra);
    } else {
        auto ecra = std::make_unique<frmTerminal>();
        ecra->setFicheiroConfiguracao(ficheiro);
        ecra->setDefinicoesEcra(definicoesEcra);
        ecra->setOperador(operador);
        ecra->setLigacao(std::move(ligacao));
        LerDefinicoesLeitor(ficheiro, *ecra, operador);
        ecra->Mostra();
        resultado.ecra = std::move(ecra);
    }
    return resultado;
}
