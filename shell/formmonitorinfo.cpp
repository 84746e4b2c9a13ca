#include "shell/formmonitorinfo.h"

#include "shell/help.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace {

constexpr int MonitorHelpContext = 30;

// Columns: English, Magyar, Deutsch, Français, Italiano, Português, Español.
constexpr Tr kMonitorInfo("Adjust speed by comparing your dot and the E dot from keyboard",
                          "Állítsd be a sebességet: hasonlítsd össze a pontodat a billentyüzetröl küldött E pontjával",
                          "Stellen Sie das Tempo ein, indem Sie Ihren Punkt mit dem Punkt eines E von der Tastatur vergleichen",
                          "Réglez la vitesse en comparant votre point au point du E tapé au clavier",
                          "Regolate la velocità confrontando il vostro punto con il punto della E dalla tastiera",
                          "Ajuste a velocidade comparando o seu ponto com o ponto do E do teclado",
                          "Ajuste la velocidad comparando su punto con el punto de la E del teclado");
constexpr Tr kMenuPort("Choose keyer port with menu Port", "A billentyüzö portját a Port menüben válaszd",
                       "Wählen Sie den Port der Taste im Menü Port",
                       "Choisissez le port du manipulateur avec le menu Port",
                       "Scegliete la porta del keyer con il menu Porta",
                       "Escolha a porta do manipulador com o menu Porta",
                       "Elija el puerto del manipulador con el menú Puerto");
constexpr Tr kMousePort("Select the key type \"Single key\" or \"Dual key\"\n"
                        "and put the mouse cursor on the yellow key picture at the top left",
                        "Válaszd ki a billentyü fajtáját: \"Egy billentyü\" vagy \"Két billentyü\"\n"
                        "és vidd az egérmutatót a bal felsö sárga billentyü képére",
                        "Wählen Sie die Tastenart \"Einzeltaste\" oder \"Doppeltaste\"\n"
                        "und setzen Sie den Mauszeiger auf das gelbe Tastenbild oben links",
                        "Choisissez le type de manipulateur \"Touche simple\" ou \"Touche double\"\n"
                        "et placez le curseur de la souris sur l'image jaune du manipulateur en haut à gauche",
                        "Scegliete il tipo di tasto \"Tasto singolo\" o \"Tasto doppio\"\n"
                        "e portate il cursore del mouse sull'immagine gialla del tasto in alto a sinistra",
                        "Selecione o tipo de chave \"Tecla simples\" ou \"Tecla dupla\"\n"
                        "e coloque o cursor do rato sobre a imagem amarela da chave, em cima à esquerda",
                        "Seleccione el tipo de manipulador \"Tecla simple\" o \"Tecla doble\"\n"
                        "y ponga el cursor del ratón sobre la imagen amarilla del manipulador, arriba a la izquierda");
constexpr Tr kCtrl("For the CTRL key type, put the focus in the text entry box",
                   "A CTRL billentyühöz kattints a szövegbeviteli mezöbe",
                   "Für die STRG-Taste setzen Sie den Fokus in das Texteingabefeld",
                   "Pour la touche CTRL, placez le curseur dans la zone de saisie du texte",
                   "Per il tasto CTRL, portate il cursore nella casella di inserimento del testo",
                   "Para a tecla CTRL, coloque o cursor na caixa de introdução de texto",
                   "Para la tecla CTRL, ponga el cursor en la casilla de entrada de texto");
constexpr Tr kCom("With the keyer on COM, select the key type\n"
                  "and click the \"ptt\" button to raise DTR/RTS to +12 V if needed",
                  "COM porton levö billentyüzönél válaszd ki a billentyü fajtáját\n"
                  "és szükség esetén kattints a \"ptt\" gombra, hogy a DTR/RTS +12 V-ra álljon",
                  "Mit der Taste am COM-Port wählen Sie die Tastenart\n"
                  "und klicken bei Bedarf auf \"ptt\", um DTR/RTS auf +12 V zu legen",
                  "Avec le manipulateur sur COM, choisissez le type de manipulateur\n"
                  "et cliquez sur le bouton \"ptt\" pour mettre DTR/RTS à +12 V si nécessaire",
                  "Con il keyer su COM, scegliete il tipo di tasto\n"
                  "e cliccate il pulsante \"ptt\" per portare DTR/RTS a +12 V se necessario",
                  "Com o manipulador na COM, selecione o tipo de chave\n"
                  "e clique no botão \"ptt\" para levar DTR/RTS a +12 V se necessário",
                  "Con el manipulador en COM, seleccione el tipo de manipulador\n"
                  "y pulse el botón \"ptt\" para llevar DTR/RTS a +12 V si hace falta");
constexpr Tr kSigns("\"?\" : a dot too long or a dash too short      \"!\" : a dash too long",
                    "\"?\" : túl hosszú pont vagy túl rövid vonás      \"!\" : túl hosszú vonás",
                    "\"?\" : Punkt zu lang oder Strich zu kurz      \"!\" : Strich zu lang",
                    "\"?\" : point trop long ou trait trop court      \"!\" : trait trop long",
                    "\"?\" : punto troppo lungo o linea troppo corta      \"!\" : linea troppo lunga",
                    "\"?\" : ponto demasiado longo ou traço demasiado curto      \"!\" : traço demasiado longo",
                    "\"?\" : punto demasiado largo o raya demasiado corta      \"!\" : raya demasiado larga");
constexpr Tr kMoreHelp("More help", "További súgó", "Weitere Hilfe", "Plus d'aide", "Altro aiuto", "Mais ajuda",
                       "Más ayuda");

QLabel *label(QWidget *parent, const char *name, int top, int height)
{
    auto *l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setWordWrap(true);
    l->setGeometry(12, top, 456, height);
    return l;
}

} // namespace

TFormMonitorInfo::TFormMonitorInfo(QWidget *parent)
    : TSideForm("FormMonitorInfo", parent), LanguageAware(this)
{
    setWindowTitle(Pick(ProgramNameText));
    resize(480, 300);
    LabelMonitorInfo = label(this, "LabelMonitorInfo", 10, 36);
    LabelInfoMenuPort = label(this, "LabelInfoMenuPort", 50, 20);
    LabelInfoMouseport = label(this, "LabelInfoMouseport", 76, 40);
    LabelInfoCTRL = label(this, "LabelInfoCTRL", 122, 20);
    LabelInfoCOM = label(this, "LabelInfoCOM", 148, 40);
    LabelInfoSigne = label(this, "LabelInfoSigne", 194, 36);
    ButtonHelp = new QPushButton(this);
    ButtonHelp->setObjectName(QStringLiteral("ButtonHelp"));
    ButtonHelp->setGeometry(12, 250, 140, 30);
    ButtonOK = new QPushButton(QStringLiteral("OK"), this);
    ButtonOK->setObjectName(QStringLiteral("ButtonOK"));
    ButtonOK->setGeometry(360, 250, 100, 30);
    ButtonOK->setDefault(true); // Enter closes the card, as Esc does
    connect(ButtonHelp, &QPushButton::clicked, this, &TFormMonitorInfo::ButtonHelpClick);
    connect(ButtonOK, &QPushButton::clicked, this, &TFormMonitorInfo::ButtonOKClick);
    retranslate();
}

void TFormMonitorInfo::retranslate()
{
    LabelMonitorInfo->setText(Pick(kMonitorInfo));
    LabelInfoMenuPort->setText(Pick(kMenuPort));
    LabelInfoMouseport->setText(Pick(kMousePort));
    LabelInfoCTRL->setText(Pick(kCtrl));
    LabelInfoCOM->setText(Pick(kCom));
    LabelInfoSigne->setText(Pick(kSigns));
    ButtonHelp->setText(Pick(kMoreHelp));
}

void TFormMonitorInfo::ButtonHelpClick()
{
    ShowHelpContext(MonitorHelpContext);
}

void TFormMonitorInfo::ButtonOKClick()
{
    close();
}

void TFormMonitorInfo::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F1) {
        ButtonHelpClick();
        return;
    }
    TSideForm::keyPressEvent(event);
}
