#include "about.h"

#include "funcoes.h"

#include "console/UMIXER.h"
#include "settings/SitePicture.h"

#include <QDesktopServices>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QUrl>

Tform_about *form_about = nullptr;

namespace {

QString endereco()
{
    return Tform_mixer::enderecoSite();
}

// A label that opens the maker's page when clicked.
class LinkLabel : public QLabel
{
public:
    LinkLabel(const QString &texto, QWidget *parent)
        : QLabel(texto, parent)
    {
        setCursor(Qt::PointingHandCursor);
        setToolTip(QStringLiteral("Atualize seu software"));
        setStyleSheet(QStringLiteral("color: rgb(255, 0, 0); text-decoration: underline; background: transparent;"));
    }

protected:
    void mouseReleaseEvent(QMouseEvent *e) override
    {
        if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
            QDesktopServices::openUrl(Tform_about::enderecoPagina());
        QLabel::mouseReleaseEvent(e);
    }
};

QLabel *texto(QWidget *parent, const QString &t, const QRect &r, const char *nome, const QString &estilo)
{
    auto *l = new QLabel(t, parent);
    if (nome)
        l->setObjectName(QString::fromLatin1(nome));
    l->setGeometry(r);
    l->setStyleSheet(estilo);
    return l;
}

} // namespace

Tform_about::Tform_about(QWidget *parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::Dialog)
{
    setObjectName(QStringLiteral("form_about"));
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(535, 318);
    setStyleSheet(QStringLiteral("Tform_about { background: black; }"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);

    auto *esquerdo = new QWidget(this);
    esquerdo->setObjectName(QStringLiteral("Panel1"));
    esquerdo->setGeometry(4, 4, 227, 273);
    esquerdo->setStyleSheet(QStringLiteral("QWidget#Panel1 { background: rgb(10, 12, 18); border: 1px solid #303846; }"));
    ProductName = texto(esquerdo, QString(), QRect(10, 8, 207, 22), "ProductName",
                        QStringLiteral("color: white; font-weight: bold; font-size: 15px;"));
    Version = texto(esquerdo, QStringLiteral("Versão: 5.1"), QRect(10, 32, 207, 16), "Version",
                    QStringLiteral("color: #c8d0dc;"));
    auto *emblema = texto(esquerdo, QString(), QRect(10, 54, 207, 96), "Image2", QString());
    emblema->setPixmap(SitePicture::figura_emblema(emblema->size()));
    auto *site = texto(esquerdo, QString(), QRect(10, 158, 207, 44), "Image1", QString());
    site->setPixmap(SitePicture::figura_site(site->size(), endereco()));
    Label1 = new LinkLabel(QString(), esquerdo);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(10, 208, 207, 18);
    QLabel *direitos = texto(esquerdo, QStringLiteral("© 2016-2026 Quorvanti Sistemas de Áudio. Todos os direitos reservados."),
                             QRect(10, 230, 207, 40), "Copyright", QStringLiteral("color: #8890a0; font-size: 10px;"));
    direitos->setWordWrap(true);

    Panel3 = new QWidget(this);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setGeometry(235, 4, 296, 273);
    Panel3->setAutoFillBackground(true);
    Panel3->setPalette(pal);
    const QString branco = QStringLiteral("color: white; font-weight: bold; font-size: 14px; background: transparent;");
    const QString cinza = QStringLiteral("color: #b8c0cc; background: transparent;");
    sistemas = texto(Panel3, QString(), QRect(0, 0, 296, 22), "sistemas", branco);
    cidade = texto(Panel3, QStringLiteral("Vale Sereno - MG - Brasil"), QRect(0, 0, 296, 18), "cidade", cinza);
    Label2 = new LinkLabel(QString(), Panel3);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(0, 0, 296, 18);
    Label3 = texto(Panel3, QStringLiteral("Versão Gratuita  03/2016 Divirta-se !!"), QRect(0, 0, 296, 40), "Label3",
                   QStringLiteral("color: #ffd040; background: transparent;"));
    Label3->setWordWrap(true);
    for (QLabel *l : {sistemas, cidade, Label2, Label3})
        l->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(0, 281, 535, 37);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, &Tform_about::Timer1Timer);

    ProductName->setText(QStringLiteral("Quorvanti Velarix-Pro"));
    Label1->setText(endereco());
    Label2->setText(endereco());
    sistemas->setText(QStringLiteral("Quorvanti Sistemas de Áudio"));
    posiciona_creditos();
    Timer1->start();
    if (!form_about)
        form_about = this;
}

Tform_about::~Tform_about()
{
    if (form_about == this)
        form_about = nullptr;
}

QUrl Tform_about::enderecoPagina()
{
    return QUrl(QStringLiteral("http://") + endereco());
}

void Tform_about::mostra()
{
    // Over the console, which stays on top of other windows.
    Tform_about janela(funcoes::janela_dona());
    janela.setWindowFlag(Qt::WindowStaysOnTopHint);
    janela.exec();
}

void Tform_about::posiciona_creditos()
{
    sistemas->move(0, Panel3->height());
    cidade->move(0, sistemas->y() + 30);
    Label2->move(0, sistemas->y() + 70);
    Label3->move(0, sistemas->y() + 110);
}

void Tform_about::Timer1Timer()
{
    const int offsets[4] = {0, 30, 70, 110};
    QLabel *labels[4] = {sistemas, cidade, Label2, Label3};
    for (int i = 0; i < 4; ++i) {
        if (labels[i]->y() > 1)
            continue;
        labels[i]->move(0, i == 0 ? Panel3->height() : sistemas->y() + offsets[i]);
    }
    for (QLabel *l : labels)
        l->move(0, l->y() - 1);
}

void Tform_about::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (QScreen *s = screen())
        move(s->availableGeometry().center() - rect().center());
}
