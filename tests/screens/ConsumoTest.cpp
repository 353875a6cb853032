// The material-consumption panel of the ERP terminal, opened with AC008 on order 1001 and
// driven by touch: keypad and keyboard dialogs scripted, the real ERP stand-in behind it.
#include "controls/GrelhaConsumo.h"
#include "controls/okaBotao.h"
#include "controls/oka_input.h"
#include "screens/FixturaTerminal2.h"
#include "screens/PainelConsumo.h"
#include "screens/RegistoDiario.h"

class Consumo : public FixturaTerminal2
{
protected:
    void SetUp() override
    {
        FixturaTerminal2::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        entrar(QStringLiteral("Ana Silva"));
        tocar(ecra->PainelObra, QStringLiteral("Obra 1001"));
        tocar(ecra->PainelFuncoes, QStringLiteral("Consumo de Materiais"));
        confirmar();
        p = ecra->PainelDonsumo;
        ASSERT_TRUE(p->isVisible());
        op.dialogos.clear();
    }

    // A touch on an entry field; the keypad or keyboard dialog answers `texto`.
    void tocarCampo(int campo, const QString& texto)
    {
        if (campo == PainelConsumo::CodArtigo)
            op.textosDigitados << texto;
        else
            op.numerosDigitados << texto;
        QTest::mouseClick(p->Campo[std::size_t(campo)], Qt::LeftButton);
    }
    QString campo(int c) const { return p->Campo[std::size_t(c)]->text(); }
    void adicionar(const QString& artigo, const QString& quantidade)
    {
        tocarCampo(PainelConsumo::CodArtigo, artigo);
        tocarCampo(PainelConsumo::Quantidade, quantidade);
        QTest::mouseClick(p->btAdd, Qt::LeftButton);
    }
    QStringList linha(int r) const
    {
        QStringList l;
        for (int c = 0; c < GrelhaConsumo::NumColunas; ++c)
            l << p->CMGRmat->Texto(r, c);
        return l;
    }

    PainelConsumo* p = nullptr;
};

TEST_P(Consumo, FieldsAreValidatedWhenEnteredByTouch)
{
    EXPECT_EQ(p->CMGRmat->columnCount(), 6);
    EXPECT_EQ(p->CMGRmat->horizontalHeaderItem(4)->text(), QStringLiteral("Quantidade"));
    EXPECT_FALSE(p->Campo[PainelConsumo::Lote]->isEnabled());

    tocarCampo(PainelConsumo::CodArtigo, QStringLiteral("ZZ9"));
    tocarCampo(PainelConsumo::CodArtigo, QStringLiteral("D1"));
    ASSERT_EQ(op.textos(QStringLiteral("MensagemSistema")),
              (QStringList{QStringLiteral("O Artigo indicado não existe !"),
                           QStringLiteral("Não é possivel movimentar descritores no terminal !")}));
    EXPECT_EQ(op.dialogos[0].tipo, QStringLiteral("PedirTexto"));
    EXPECT_EQ(op.dialogos[1].imagem, 2);
    EXPECT_EQ(campo(PainelConsumo::CodArtigo), QString());

    tocarCampo(PainelConsumo::CodArtigo, QStringLiteral("A1"));
    EXPECT_EQ(campo(PainelConsumo::Descricao), QStringLiteral("Chapa"));
    EXPECT_EQ(p->lbUnidade->text(), QStringLiteral("Unidade Base:M2"));

    // Length 2 by width 3 gives 6, replacing the quantity there was; measures show three decimals.
    tocarCampo(PainelConsumo::Quantidade, QStringLiteral("1"));
    tocarCampo(PainelConsumo::Comprimento, QStringLiteral("2"));
    tocarCampo(PainelConsumo::Largura, QStringLiteral("3"));
    EXPECT_EQ(op.dialogos.last().texto, QStringLiteral("INTRODUZA A LARGURA"));
    EXPECT_EQ(campo(PainelConsumo::Comprimento), QStringLiteral("2.000"));
    EXPECT_EQ(campo(PainelConsumo::Quantidade), QStringLiteral("6.000"));

    // Above the stock of 10: refused and emptied. A keyboard's non-number: emptied, no message.
    op.dialogos.clear();
    tocarCampo(PainelConsumo::Quantidade, QStringLiteral("10.5"));
    EXPECT_EQ(op.textos(QStringLiteral("MensagemSistema")),
              QStringList{QStringLiteral("Não existe quantidade necessaria do artigo no armazem !")});
    EXPECT_EQ(campo(PainelConsumo::Quantidade), QString());
    p->Campo[PainelConsumo::Comprimento]->setText(QStringLiteral("dois"));
    EXPECT_FALSE(p->Campo[PainelConsumo::Comprimento]->Validar());
    EXPECT_EQ(campo(PainelConsumo::Comprimento), QString());
    EXPECT_EQ(op.textos(QStringLiteral("MensagemSistema")).size(), 1);

    // The article list: the picker's choice is validated like a typed code.
    op.escolhaLista = QStringLiteral("A3");
    QTest::mouseClick(p->btLista, Qt::LeftButton);
    EXPECT_EQ(op.textos(QStringLiteral("ListaSelecao")), QStringList{QStringLiteral("Lista de Artigos")});
    EXPECT_EQ(campo(PainelConsumo::CodArtigo), QStringLiteral("A3"));
    EXPECT_EQ(campo(PainelConsumo::Descricao), QStringLiteral("Parafuso"));
}

TEST_P(Consumo, RowsAreAddedRemovedAndPostedOnce)
{
    bd().executar(QStringLiteral("UPDATE ARTARM SET EXISTENC = 2000 WHERE ARTIGO = 'A3'"));
    // Without a quantity nothing is added; without an article the row is refused; quantity 0
    // adds nothing.
    QTest::mouseClick(p->btAdd, Qt::LeftButton);
    tocarCampo(PainelConsumo::Comprimento, QStringLiteral("2"));
    tocarCampo(PainelConsumo::Largura, QStringLiteral("1"));
    QTest::mouseClick(p->btAdd, Qt::LeftButton);
    EXPECT_EQ(op.textos(QStringLiteral("Aviso")), QStringList{QStringLiteral("Deve indicar o artigo !")});
    tocarCampo(PainelConsumo::CodArtigo, QStringLiteral("A1"));
    tocarCampo(PainelConsumo::Quantidade, QStringLiteral("0"));
    QTest::mouseClick(p->btAdd, Qt::LeftButton);
    EXPECT_EQ(p->CMGRmat->Linhas(), 0);

    tocarCampo(PainelConsumo::Comprimento, QStringLiteral("2"));
    tocarCampo(PainelConsumo::Largura, QStringLiteral("1.5"));
    QTest::mouseClick(p->btAdd, Qt::LeftButton);
    adicionar(QStringLiteral("A2"), QStringLiteral("4"));
    adicionar(QStringLiteral("A3"), QStringLiteral("1234.5"));
    ASSERT_EQ(p->CMGRmat->Linhas(), 3);
    // The grid keeps the exact values and shows the measures with three decimals.
    EXPECT_EQ(linha(0), (QStringList{QStringLiteral("A1"), QStringLiteral("Chapa"), QStringLiteral("2"),
                                     QStringLiteral("1.5"), QStringLiteral("3"), QString()}));
    EXPECT_EQ(p->CMGRmat->item(0, GrelhaConsumo::Largura)->text(), QStringLiteral("1.500"));
    EXPECT_EQ(p->CMGRmat->item(2, GrelhaConsumo::Quantidade)->text(), QStringLiteral("1\u00A0234.500"));
    EXPECT_EQ(campo(PainelConsumo::CodArtigo), QString());

    // A touch on a row offers to remove it; declined, then accepted.
    const auto tocarLinha = [&](int r) {
        const QRect rect = p->CMGRmat->visualItemRect(p->CMGRmat->item(r, 0));
        QTest::mouseClick(p->CMGRmat->viewport(), Qt::LeftButton, {}, rect.center());
    };
    adicionar(QStringLiteral("A3"), QStringLiteral("1"));
    op.respostasConfirmacao << false << true;
    tocarLinha(3);
    EXPECT_EQ(p->CMGRmat->Linhas(), 4);
    tocarLinha(3);
    EXPECT_EQ(p->CMGRmat->Linhas(), 3);

    // Another terminal takes the stock of the second row: nothing is posted, the rows stay.
    bd().executar(QStringLiteral("UPDATE ARTARM SET EXISTENC = 3 WHERE ARTIGO = 'A2'"));
    op.dialogos.clear();
    QTest::mouseClick(p->btCMConf, Qt::LeftButton);
    EXPECT_EQ(op.textos(QStringLiteral("MensagemSistema")),
              QStringList{QStringLiteral("Não existe quantidade necessaria do artigo no armazem !")});
    EXPECT_EQ(FixturaErp::Contar(bd(), QStringLiteral("STKDOC")), 0);
    EXPECT_EQ(FixturaErp::Contar(bd(), QStringLiteral("oka_LinFo_Apr")), 0);
    EXPECT_EQ(p->CMGRmat->Linhas(), 3);
    EXPECT_TRUE(p->isVisible());

    // Restocked: two touches in quick succession post one document.
    bd().executar(QStringLiteral("UPDATE ARTARM SET EXISTENC = 5 WHERE ARTIGO = 'A2'"));
    QTest::mouseClick(p->btCMConf, Qt::LeftButton);
    QTest::mouseClick(p->btCMConf, Qt::LeftButton);
    EXPECT_EQ(FixturaErp::Contar(bd(), QStringLiteral("STKDOC")), 1);
    EXPECT_EQ(FixturaErp::Contar(bd(), QStringLiteral("STKDOCLIN")), 3);
    EXPECT_EQ(FixturaErp::Existencia(bd(), QStringLiteral("A1")), FixturaErp::M("7"));
    EXPECT_EQ(FixturaErp::Existencia(bd(), QStringLiteral("A2")), FixturaErp::M("1"));
    EXPECT_EQ(FixturaErp::Existencia(bd(), QStringLiteral("A3")), FixturaErp::M("765.5"));
    const Registos l = bd().consultar(QStringLiteral("SELECT NoLinha, Artigo, Nome, QtdOr, Comp, Larg, Armazem, PrUnit "
                                                     "FROM oka_LinFo_Apr WHERE NoFo = '1001' ORDER BY NoLinha"));
    ASSERT_EQ(l.RecordCount(), 3);
    EXPECT_EQ(l[0].texto("Artigo"), QStringLiteral("A1"));
    EXPECT_EQ(l[0].texto("Nome"), QStringLiteral("Chapa"));
    EXPECT_EQ(l[0].moeda("QtdOr"), FixturaErp::M("3"));
    EXPECT_EQ(l[0].moeda("Comp"), FixturaErp::M("2"));
    EXPECT_EQ(l[0].moeda("Larg"), FixturaErp::M("1.5"));
    EXPECT_EQ(l[0].texto("Armazem").trimmed(), QStringLiteral("MP1"));
    EXPECT_EQ(l[2].moeda("QtdOr"), FixturaErp::M("1234.5"));
    EXPECT_EQ(l[2].moeda("PrUnit"), Currency());
    const Registos cab =
        bd().consultar(QStringLiteral("SELECT CustoMat, DataActual FROM oka_CabOrc WHERE Fo = '1001'"));
    EXPECT_EQ(cab.primeira().moeda("CustoMat"), Currency());
    EXPECT_FALSE(cab.primeira().nulo("DataActual"));

    // Back to operator identification, the panel emptied.
    EXPECT_FALSE(p->isVisible());
    EXPECT_EQ(p->CMGRmat->Linhas(), 0);
    EXPECT_TRUE(emIdentificacao());

    // The daily log: nothing when the panel opened; one line per confirmation of the posting,
    // with its refusal or its document, under the selection that opened the panel.
    const QList<QByteArray> linhas = LinhasRegisto(base().pasta());
    ASSERT_EQ(linhas.size(), 2);
    const QStringList selecao{QStringLiteral("Utilizador:Ana Silva"), QStringLiteral("Obra:1001"),
                              QStringLiteral("Função:Consumo de Materiais"), QString()};
    EXPECT_EQ(CamposRegisto(linhas[0]),
              selecao + QStringList{QStringLiteral("Não existe quantidade necessaria do artigo no armazem !")});
    EXPECT_EQ(CamposRegisto(linhas[1]),
              selecao +
                  QStringList{
                      QStringLiteral("Documento SAI 3/%1 nº 1 lançado (3 artigos)").arg(QDate::currentDate().year())});
}

TEST_P(Consumo, QuantitiesStayExactToFourDecimalsFromEntryToPostingAndZeroIsRefused)
{
    const QString zero = QStringLiteral("A quantidade, arredondada a 4 casas decimais, tem de ser maior que 0 !");
    // 1.234 x 2.345 = 2.89373: 2.8937, shown with three decimals; leaving the quantity field
    // without changing it keeps the exact value.
    tocarCampo(PainelConsumo::CodArtigo, QStringLiteral("A1"));
    tocarCampo(PainelConsumo::Comprimento, QStringLiteral("1.234"));
    tocarCampo(PainelConsumo::Largura, QStringLiteral("2.345"));
    EXPECT_EQ(campo(PainelConsumo::Quantidade), QStringLiteral("2.894"));
    EXPECT_TRUE(p->Campo[PainelConsumo::Quantidade]->Validar());
    QTest::mouseClick(p->btAdd, Qt::LeftButton);
    // 1.25 x 1.25 = 1.5625 exactly.
    tocarCampo(PainelConsumo::CodArtigo, QStringLiteral("A2"));
    tocarCampo(PainelConsumo::Comprimento, QStringLiteral("1.25"));
    tocarCampo(PainelConsumo::Largura, QStringLiteral("1.25"));
    QTest::mouseClick(p->btAdd, Qt::LeftButton);
    // A small quantity is a quantity; more decimals round half to even.
    adicionar(QStringLiteral("A3"), QStringLiteral("0.0004"));
    adicionar(QStringLiteral("A3"), QStringLiteral("0.00025"));
    ASSERT_EQ(p->CMGRmat->Linhas(), 4);
    EXPECT_EQ(linha(0), (QStringList{QStringLiteral("A1"), QStringLiteral("Chapa"), QStringLiteral("1.234"),
                                     QStringLiteral("2.345"), QStringLiteral("2.8937"), QString()}));
    EXPECT_EQ(p->CMGRmat->item(0, GrelhaConsumo::Quantidade)->text(), QStringLiteral("2.894"));
    EXPECT_EQ(p->CMGRmat->Texto(1, GrelhaConsumo::Quantidade), QStringLiteral("1.5625"));
    EXPECT_EQ(p->CMGRmat->Texto(2, GrelhaConsumo::Quantidade), QStringLiteral("0.0004"));
    EXPECT_EQ(p->CMGRmat->item(2, GrelhaConsumo::Quantidade)->text(), QStringLiteral("0.000"));
    EXPECT_EQ(p->CMGRmat->Texto(3, GrelhaConsumo::Quantidade), QStringLiteral("0.0002"));
    EXPECT_TRUE(op.textos(QStringLiteral("MensagemSistema")).isEmpty());

    // Zero after rounding, typed or as a product: refused with a message, nothing added.
    tocarCampo(PainelConsumo::CodArtigo, QStringLiteral("A3"));
    tocarCampo(PainelConsumo::Quantidade, QStringLiteral("0.00004"));
    EXPECT_EQ(op.textos(QStringLiteral("MensagemSistema")), QStringList{zero});
    EXPECT_EQ(campo(PainelConsumo::Quantidade), QString());
    tocarCampo(PainelConsumo::Comprimento, QStringLiteral("0.01"));
    tocarCampo(PainelConsumo::Largura, QStringLiteral("0.004"));
    QTest::mouseClick(p->btAdd, Qt::LeftButton);
    EXPECT_EQ(op.textos(QStringLiteral("MensagemSistema")), (QStringList{zero, zero}));
    EXPECT_EQ(p->CMGRmat->Linhas(), 4);

    QTest::mouseClick(p->btCMConf, Qt::LeftButton);
    ASSERT_EQ(FixturaErp::Contar(bd(), QStringLiteral("STKDOC")), 1);
    const Registos l = bd().consultar(
        QStringLiteral("SELECT QtdOr, Comp, Larg FROM oka_LinFo_Apr WHERE NoFo = '1001' ORDER BY NoLinha"));
    ASSERT_EQ(l.RecordCount(), 4);
    EXPECT_EQ(l[0].moeda("QtdOr"), FixturaErp::M("2.8937"));
    EXPECT_EQ(l[0].moeda("Comp"), FixturaErp::M("1.234"));
    EXPECT_EQ(l[0].moeda("Larg"), FixturaErp::M("2.345"));
    EXPECT_EQ(l[1].moeda("QtdOr"), FixturaErp::M("1.5625"));
    EXPECT_EQ(l[2].moeda("QtdOr"), FixturaErp::M("0.0004"));
    EXPECT_EQ(l[3].moeda("QtdOr"), FixturaErp::M("0.0002"));
    const Registos doc = bd().consultar(QStringLiteral("SELECT QUANT FROM STKDOCLIN ORDER BY LINHA"));
    ASSERT_EQ(doc.RecordCount(), 4);
    EXPECT_EQ(doc[0].moeda(0), FixturaErp::M("2.8937"));
    EXPECT_EQ(doc[1].moeda(0), FixturaErp::M("1.5625"));
    EXPECT_EQ(FixturaErp::Existencia(bd(), QStringLiteral("A1")), FixturaErp::M("7.1063"));
    EXPECT_EQ(FixturaErp::Existencia(bd(), QStringLiteral("A2")), FixturaErp::M("3.4375"));
    EXPECT_EQ(FixturaErp::Existencia(bd(), QStringLiteral("A3")), FixturaErp::M("99.9994"));
}

TEST_P(Consumo, APostingTheErpRefusesIsLoggedWithItsMessageAndTheRowsStay)
{
    adicionar(QStringLiteral("A1"), QStringLiteral("1"));
    ecra->LigKova()->Desligar();
    QTest::mouseClick(p->btCMConf, Qt::LeftButton);
    const QStringList mensagens = op.textos(QStringLiteral("MensagemSistema"));
    ASSERT_EQ(mensagens.size(), 1);
    EXPECT_TRUE(mensagens[0].startsWith(QStringLiteral("Erro: "))) << mensagens[0].toStdString();
    EXPECT_EQ(p->CMGRmat->Linhas(), 1);
    const QList<QByteArray> linhas = LinhasRegisto(base().pasta());
    ASSERT_EQ(linhas.size(), 1);
    EXPECT_EQ(CamposRegisto(linhas[0]).last(),
              QString(mensagens[0]).replace(QStringLiteral("\r\n"), QStringLiteral(" | ")));
    EXPECT_EQ(FixturaErp::Contar(bd(), QStringLiteral("STKDOC")), 0);
}

TEST_P(Consumo, EmptyConfirmationAndSairPostNothing)
{
    QTest::mouseClick(p->btCMConf, Qt::LeftButton);
    EXPECT_TRUE(p->isVisible());
    EXPECT_TRUE(op.dialogos.isEmpty());

    adicionar(QStringLiteral("A1"), QStringLiteral("1"));
    ASSERT_EQ(p->CMGRmat->Linhas(), 1);
    QTest::mouseClick(p->btCMCancelar, Qt::LeftButton);
    EXPECT_EQ(p->CMGRmat->Linhas(), 1);
    QTest::mouseClick(p->btCMSair, Qt::LeftButton);
    EXPECT_FALSE(p->isVisible());
    EXPECT_TRUE(emIdentificacao());
    EXPECT_EQ(FixturaErp::Contar(bd(), QStringLiteral("STKDOC")), 0);
    EXPECT_EQ(FixturaErp::Existencia(bd(), QStringLiteral("A1")), FixturaErp::M("10"));
    // Nothing was posted or refused: nothing in the daily log.
    EXPECT_TRUE(LinhasRegisto(base().pasta()).isEmpty());

    // Opened again for another order: empty.
    entrar(QStringLiteral("Ana Silva"));
    tocar(ecra->PainelObra, QStringLiteral("Obra 1003"));
    tocar(ecra->PainelFuncoes, QStringLiteral("Consumo de Materiais"));
    confirmar();
    EXPECT_TRUE(p->isVisible());
    EXPECT_EQ(p->CMGRmat->Linhas(), 0);
    EXPECT_EQ(p->ObraConsumo(), QStringLiteral("1003"));
}

TEST_P(Consumo, KeyboardEntryIsValidatedOnLeavingAndBeforeAButtonActs)
{
    QApplication::setActiveWindow(ecra.get());
    oka_input* codigo = p->Campo[PainelConsumo::CodArtigo];
    codigo->setFocus();
    ASSERT_TRUE(codigo->hasFocus());
    QTest::keyClicks(codigo, QStringLiteral("A2"));
    QTest::keyClick(codigo, Qt::Key_Tab);
    EXPECT_EQ(campo(PainelConsumo::Descricao), QStringLiteral("Tubo"));

    // An unknown code typed, then "Adicionar Artigo" touched: refused before anything is added,
    // and the field keeps the focus.
    p->Campo[PainelConsumo::Quantidade]->setText(QStringLiteral("1"));
    codigo->setFocus();
    codigo->clear();
    QTest::keyClicks(codigo, QStringLiteral("XX"));
    QTest::mouseClick(p->btAdd, Qt::LeftButton);
    EXPECT_EQ(op.textos(QStringLiteral("MensagemSistema")),
              QStringList{QStringLiteral("O Artigo indicado não existe !")});
    EXPECT_EQ(p->CMGRmat->Linhas(), 0);
    EXPECT_TRUE(codigo->hasFocus());

    // A width typed as text is emptied on leaving and keeps the focus, without a message.
    oka_input* largura = p->Campo[PainelConsumo::Largura];
    largura->setFocus();
    QTest::keyClicks(largura, QStringLiteral("x"));
    QTest::keyClick(largura, Qt::Key_Tab);
    EXPECT_EQ(campo(PainelConsumo::Largura), QString());
    EXPECT_TRUE(largura->hasFocus());
    EXPECT_EQ(op.textos(QStringLiteral("MensagemSistema")).size(), 1);
}

INSTANCIAR_BACKENDS(Consumo);
