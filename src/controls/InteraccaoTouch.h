#pragma once

#include "base/InteraccaoOperador.h"

class QWidget;

// The operator-interaction interface over the terminal's touch dialogs, each opened modally
// over `pai`. The settings dialogs are left to the screens, which override them.
class InteraccaoTouch : public InteraccaoOperador
{
public:
    explicit InteraccaoTouch(QWidget* pai = nullptr) : m_pai(pai) {}

    void setPai(QWidget* pai) { m_pai = pai; }
    QWidget* pai() const { return m_pai; }

    void Aviso(const QString& mensagem, int tipoImagem, int altura) override;
    bool Confirmacao(const QString& mensagem, int tipoImagem, int altura) override;
    int MensagemSistema(const QString& texto, int tipo) override;
    QString ListaSelecao(const QString& titulo, int tamanho, const Registos& linhas, const QString& colunaGrupo,
                         const QList<int>& largurasColunas) override;
    QString PedirNumero(const QString& titulo) override;
    QString PedirTexto(const QString& titulo) override;
    QString EscolherMotivo(const Registos& motivos, const QString& titulo) override;
    bool EditarDefinicoesKova(ValoresKova& valores) override;
    bool EditarDefinicoesBD(DefinicoesBD& definicoes, const QString& bdSql) override;
    bool AutorizarSupervisor(const QString& titulo, LigacaoDados* ligacao, qint16 nivelMinimo, QString& funcionario,
                             const std::function<void(const QString&, const QString&)>& recusado) override;

private:
    QWidget* m_pai;
};
