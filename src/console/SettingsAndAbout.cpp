// What opens the settings window, the about window and the maker's site from the console,
// and the keys of the ten shortcuts.
#include "UMIXER.h"

#include "cartridge/Shortcuts.h"
#include "settings/SitePicture.h"
#include "settings/about.h"
#include "settings/uform_config.h"
#include "widgets/ColorButton.h"
#include "widgets/NeedleMeter.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMouseEvent>

// Clicks on controls that have no click of their own: the deck displays and the site picture.
class SettingsAndAboutFilter : public QObject
{
public:
    explicit SettingsAndAboutFilter(Tform_mixer *m)
        : QObject(m), m_console(m)
    {
    }

protected:
    bool eventFilter(QObject *alvo, QEvent *evento) override
    {
        if (evento->type() != QEvent::MouseButtonRelease
            || static_cast<QMouseEvent *>(evento)->button() != Qt::LeftButton)
            return false;
        if (alvo == m_console->pp || alvo == m_console->PP2)
            QMetaObject::invokeMethod(m_console, &Tform_mixer::Sobre1Click, Qt::QueuedConnection);
        else if (alvo == m_console->Image1)
            m_console->Image1Click();
        return false;
    }

private:
    Tform_mixer *m_console;
};

void Tform_mixer::wireSettingsAndAbout()
{
    atalhos = std::make_shared<Atalhos>();
    connect(SRColorButton2, &QAbstractButton::clicked, this, &Tform_mixer::SRColorButton2Click);
    connect(Sobre1, &QAction::triggered, this, &Tform_mixer::Sobre1Click);
    for (NeedleMeter *meter : {ML, MR})
        connect(meter, &NeedleMeter::clicked, this, &Tform_mixer::Sobre1Click, Qt::QueuedConnection);
    auto *filtro = new SettingsAndAboutFilter(this);
    filtro->setObjectName(QStringLiteral("filtroConfiguracaoSobre"));
    for (QWidget *w : {pp, PP2, static_cast<QWidget *>(Image1)})
        w->installEventFilter(filtro);

    Image1->setText(QString());
    Image1->setStyleSheet(QString());
    Image1->setPixmap(SitePicture::figura_site(Image1->size(), enderecoSite()));
    Image1->setScaledContents(true);
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->setToolTip(QStringLiteral("VISITE NOSSO SITE:\r\n") + enderecoSite());

    using Handler = void (Tform_mixer::*)();
    static const Handler handlers[10] = {
        &Tform_mixer::PlayAtalho011Click, &Tform_mixer::PlayAtalho012Click, &Tform_mixer::PlayAtalho013Click,
        &Tform_mixer::PlayAtalho014Click, &Tform_mixer::PlayAtalho051Click, &Tform_mixer::PlayAtalho061Click,
        &Tform_mixer::PlayAtalho071Click, &Tform_mixer::PlayAtalho081Click, &Tform_mixer::PlayAtalho091Click,
        &Tform_mixer::PlayAtalho101Click};
    static const char *names[10] = {"PlayAtalho011", "PlayAtalho012", "PlayAtalho013", "PlayAtalho014",
                                    "PlayAtalho051", "PlayAtalho061", "PlayAtalho071", "PlayAtalho081",
                                    "PlayAtalho091", "PlayAtalho101"};
    for (int i = 0; i < 10; ++i) {
        auto *tecla = new QAction(this);
        tecla->setObjectName(QString::fromLatin1(names[i]));
        tecla->setShortcut(QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_0 + (i + 1) % 10)));
        tecla->setShortcutContext(Qt::WindowShortcut);
        addAction(tecla);
        connect(tecla, &QAction::triggered, this, handlers[i]);
    }
}

void Tform_mixer::SRColorButton2Click()
{
    if (form_config)
        form_config->exec();
}

void Tform_mixer::Sobre1Click()
{
    Tform_about::mostra();
}

void Tform_mixer::Image1Click()
{
    QDesktopServices::openUrl(Tform_about::enderecoPagina());
    setWindowState(windowState() | Qt::WindowMinimized);
}
