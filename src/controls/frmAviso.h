#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class TituloDialogo;
class okaBotao;

// The terminal's touch message box: a picture for the kind of message (0 notice, 1 question,
// 2 error), the message, and either "Sair" or "Confirma" / "Cancelar".
class frmAviso : public QDialog
{
    Q_OBJECT

public:
    // Inner size of the design; the caller's height counts the title bar too, which takes
    // MolduraVertical twips of it: the dialog draws its caption there itself.
    static constexpr int LarguraInterior = 9090;
    static constexpr int AlturaInterior = 2805;
    static constexpr int MolduraVertical = 540;

    explicit frmAviso(QWidget* pai = nullptr);

    int Imagem = 0;    // picture shown: 0 notice, 1 question, 2 error
    int Resposta = -1; // 1 confirmed, -1 cancelled or closed
    int ModoAviso = 0; // 0 notice (one button), otherwise a question

    void setMensagem(const QString& texto);
    QString mensagem() const;
    // Window height in twips, caption strip included.
    void setAltura(int twips);

    okaBotao* btSair() const { return m_btSair; }
    okaBotao* btConf() const { return m_btConf; }
    okaBotao* btCancelar() const { return m_btCancelar; }
    QLabel* lista() const { return m_lista; }
    QLabel* picture() const { return m_picture; }

    // The drawn 48 x 48 picture of each kind.
    static QPixmap Desenho(int tipo);

protected:
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void dispor();

    TituloDialogo* m_titulo = nullptr;
    QLabel* m_lista = nullptr;
    QLabel* m_picture = nullptr;
    okaBotao* m_btSair = nullptr;
    okaBotao* m_btConf = nullptr;
    okaBotao* m_btCancelar = nullptr;
    double m_alturaInteriorTw = AlturaInterior;
};

// Shows a notice and returns when it is closed.
void Aviso(const QString& Mensagem, int TipoImagem, int Altura, QWidget* pai = nullptr);
// Asks a question; true only when the operator touched "Confirma".
bool Confirmacao(const QString& Mensagem, int TipoImagem, int Altura, QWidget* pai = nullptr);
// System message box with OK, titled "Terminal": kind 0 warning, 1 information, 2 error. Any
// other kind shows nothing and returns 0; otherwise returns 1 (OK).
int MensagemSistema(const QString& texto, int tipo, QWidget* pai = nullptr);
