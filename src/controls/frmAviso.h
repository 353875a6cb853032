#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QScrollArea;
class TituloDialogo;
class okaBotao;

// The terminal's touch message box: a picture for the kind of message (0 notice, 1 question,
// 2 error), the message, and either "Sair" or "Confirma" / "Cancelar". The text is large enough
// to read at arm's length: a message longer than the height asked for makes the window taller,
// up to the screen's height, and beyond that it scrolls; none is cut.
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

    // The picture of a warning, which only the system messages use.
    static constexpr int ImagemAlerta = 3;

    int Imagem = 0;    // picture shown: 0 notice, 1 question, 2 error (ImagemAlerta: warning)
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
    // The area the message is shown in (it scrolls when the text is longer than it).
    QScrollArea* areaMensagem() const { return m_rolo; }
    QLabel* picture() const { return m_picture; }

    // The drawn picture of each kind, `lado` pixels square (48 at the design's density).
    static QPixmap Desenho(int tipo, int lado = 48);

protected:
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void dispor();
    // Makes the window as tall as the message needs, within the screen.
    void crescerParaOTexto();

    TituloDialogo* m_titulo = nullptr;
    QScrollArea* m_rolo = nullptr;
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
// System message, titled "Terminal", in the same touch dialog with one "OK": kind 0 warning,
// 1 information, 2 error, each with its picture. Any other kind shows nothing and returns 0;
// otherwise returns 1 (OK).
int MensagemSistema(const QString& texto, int tipo, QWidget* pai = nullptr);
