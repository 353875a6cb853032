#pragma once

#include <optional>

#include <QList>
#include <QString>
#include <QStringList>

#include "base/InteraccaoOperador.h"
#include "dataaccess/DefinicoesBD.h"

// A scripted operator for engine and ERP tests: records every dialog and gives the answers
// queued by the test (questions are confirmed unless told otherwise).
class OperadorFalso : public InteraccaoOperador
{
public:
    struct Dialogo
    {
        QString tipo; // "Aviso", "Confirmacao", "MensagemSistema", "ListaSelecao", "Kova", "BD", "Supervisor"
        QString texto;
        int imagem = 0;
        int altura = 0;
    };

    void Aviso(const QString& mensagem, int tipoImagem, int altura) override
    {
        dialogos << Dialogo{QStringLiteral("Aviso"), mensagem, tipoImagem, altura};
    }
    bool Confirmacao(const QString& mensagem, int tipoImagem, int altura) override
    {
        dialogos << Dialogo{QStringLiteral("Confirmacao"), mensagem, tipoImagem, altura};
        return respostasConfirmacao.isEmpty() ? true : respostasConfirmacao.takeFirst();
    }
    int MensagemSistema(const QString& texto, int tipo) override
    {
        dialogos << Dialogo{QStringLiteral("MensagemSistema"), texto, tipo, 0};
        return (tipo >= 0 && tipo <= 2) ? 1 : 0;
    }
    QString ListaSelecao(const QString& titulo, int tamanho, const Registos& linhas, const QString& colunaGrupo,
                         const QList<int>& larguras) override
    {
        dialogos << Dialogo{QStringLiteral("ListaSelecao"), titulo, tamanho, 0};
        ultimaLista = linhas;
        ultimaColunaGrupo = colunaGrupo;
        ultimasLarguras = larguras;
        return escolhaLista;
    }
    QString PedirNumero(const QString& titulo) override
    {
        dialogos << Dialogo{QStringLiteral("PedirNumero"), titulo, 0, 0};
        return numerosDigitados.isEmpty() ? QString() : numerosDigitados.takeFirst();
    }
    QString PedirTexto(const QString& titulo) override
    {
        dialogos << Dialogo{QStringLiteral("PedirTexto"), titulo, 0, 0};
        return textosDigitados.isEmpty() ? QString() : textosDigitados.takeFirst();
    }
    QString EscolherMotivo(const Registos& motivos, const QString& titulo) override
    {
        dialogos << Dialogo{QStringLiteral("EscolherMotivo"), titulo, 0, 0};
        ultimaLista = motivos;
        return motivoEscolhido;
    }
    bool EditarDefinicoesKova(ValoresKova& valores) override
    {
        dialogos << Dialogo{QStringLiteral("Kova"), {}, 0, 0};
        if (!novosValoresKova) return false;
        valores = *novosValoresKova;
        return true;
    }
    bool EditarDefinicoesBD(DefinicoesBD& definicoes, const QString& bdSql) override
    {
        dialogos << Dialogo{QStringLiteral("BD"), bdSql, 0, 0};
        if (!novasDefinicoesBD) return false;
        const QString ficheiro = definicoes.Ficheiro;
        definicoes = *novasDefinicoesBD;
        definicoes.Ficheiro = ficheiro;
        definicoes.Gravar();
        return true;
    }

    bool AutorizarSupervisor(const QString& titulo, LigacaoDados*, qint16 nivelMinimo, QString& funcionario,
                             const std::function<void(const QString&, const QString&)>&) override
    {
        dialogos << Dialogo{QStringLiteral("Supervisor"), titulo, nivelMinimo, 0};
        if (!supervisor) return false;
        funcionario = *supervisor;
        return true;
    }

    QStringList textos(const QString& tipo) const
    {
        QStringList r;
        for (const Dialogo& d : dialogos)
            if (d.tipo == tipo) r << d.texto;
        return r;
    }

    QList<Dialogo> dialogos;
    QList<bool> respostasConfirmacao;
    QString escolhaLista;
    QStringList numerosDigitados;
    QStringList textosDigitados;
    QString motivoEscolhido;
    Registos ultimaLista;
    QString ultimaColunaGrupo;
    QList<int> ultimasLarguras;
    std::optional<ValoresKova> novosValoresKova;
    std::optional<DefinicoesBD> novasDefinicoesBD;
    // The supervisor who gives his password ("code-name"); none: the settings stay closed.
    std::optional<QString> supervisor;
};
