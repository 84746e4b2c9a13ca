#include "training/quizinternal.h"
#include "shell/utilities.h"

#include "shell/accessiblenames.h"
#include "shell/help.h"
#include "shell/keyrouting.h"
#include "shell/languages/languages.h"
#include "shell/languages/mainwindowtexts.h"
#include "shell/enginehost_mainwindow.h"
#include "shell/mainwindow.h"
#include "shell/settingsformat.h"
#include "shell/settingskeys.h"
#include "training/random.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QMouseEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>

// ---- Controls of their own ---------------------------------------------------------------------

void QuizOKButton::mousePressEvent(QMouseEvent *event)
{
    QuizModule &m = QuizModuleState();
    if (event->button() == Qt::LeftButton && event->modifiers() == Qt::ControlModifier && m.PopQuizOK) {
        // The count-down is chosen here; the press is no click.
        event->accept();
        m.PopQuizOK->popup(mapToGlobal(rect().bottomLeft()));
        return;
    }
    QPushButton::mousePressEvent(event);
}

QString DelaySpinBox::textFromValue(int value) const
{
    return QString::fromLatin1(quiz::DelayCaption(value));
}

int DelaySpinBox::valueFromText(const QString &text) const
{
    return quiz::DelayStepOfText(text.toStdString()).value_or(value());
}

QValidator::State DelaySpinBox::validate(QString &text, int &) const
{
    return quiz::DelayStepOfText(text.toStdString()) ? QValidator::Acceptable : QValidator::Intermediate;
}

namespace {

// ---- Pictures ----------------------------------------------------------------------------------

constexpr int FaceSize = 48;

// A round face: neutral (a straight mouth), right (a smile), wrong (a frown); the cover is a
// plain dark disc that hides the others.
QPixmap facePicture(Face face, bool cover)
{
    QPixmap picture(FaceSize, FaceSize);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF disc(3, 3, FaceSize - 6, FaceSize - 6);
    p.setPen(QPen(Qt::black, 2));
    if (cover) {
        p.setBrush(QColor(30, 30, 30));
        p.drawEllipse(disc);
        return picture;
    }
    const QColor skin = face == Face::Right ? QColor(255, 214, 60) : face == Face::Wrong ? QColor(250, 140, 110)
                                                                                           : QColor(235, 225, 160);
    p.setBrush(skin);
    p.drawEllipse(disc);
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(17, 19), 3, 3.5);
    p.drawEllipse(QPointF(31, 19), 3, 3.5);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::black, 2.5, Qt::SolidLine, Qt::RoundCap));
    QPainterPath mouth;
    mouth.moveTo(15, face == Face::Wrong ? 35 : 31);
    if (face == Face::Neutral)
        mouth.lineTo(33, 31);
    else
        mouth.quadTo(24, face == Face::Right ? 41 : 25, 33, face == Face::Wrong ? 35 : 31);
    p.drawPath(mouth);
    return picture;
}

QLabel *faceLabel(QWidget *parent, const char *name, const QPixmap &picture)
{
    auto *label = Named(new QLabel(parent), name);
    label->setPixmap(picture);
    label->setGeometry(560, 44, FaceSize, FaceSize);
    label->setCursor(Qt::PointingHandCursor);
    return label;
}

// ---- Keys and clicks ---------------------------------------------------------------------------

// Clicks on the faces, the score and the set.
class QuizEvents : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        QuizModule &m = QuizModuleState();
        if (event->type() != QEvent::MouseButtonRelease
            || static_cast<QMouseEvent *>(event)->button() != Qt::LeftButton)
            return false;
        if (auto *face = qobject_cast<QLabel *>(watched);
            face && (face == m.Visage0 || face == m.VisageHa || face == m.VisageHo || face == m.VisageNoir)) {
            QuizFaceClick(face);
            return true;
        }
        if (watched == m.EditMark) {
            EditMarkClick(m.EditMark);
            return false;
        }
        if (watched == m.EditCaractersQuiz) {
            MenuChoixCaracteresClick(m.EditCaractersQuiz);
            return true;
        }
        return false;
    }
};

// ---- Texts -------------------------------------------------------------------------------------

constexpr Tr FaceHint("Click the image to hide it or to show it", "Kattintson a képre az elrejtéshez vagy a megjelenítéshez",
                      "Bild anklicken, um es zu verbergen oder zu zeigen", "Cliquer sur l'image pour la cacher ou la montrer",
                      "Clicca sull'immagine per nasconderla o mostrarla", "Clique na imagem para a esconder ou mostrar",
                      "Haga clic en la imagen para ocultarla o mostrarla");

using K = TextKind;
constexpr TextRow Texts[] = {
    {"QuizGroupBox", K::Caption, Tr("Quiz", "Kvíz", "Quiz", "Quiz", "Quiz", "Quiz", "Quiz")},
    {"LabelQuizCaracters", K::Caption,
     Tr("Characters :", "Karakterek :", "Zeichen :", "Caractères :", "Caratteri :", "Caracteres :", "Caracteres :")},
    {"ButtonChangeLessonQuiz", K::Caption, Tr("Change", "Csere", "Ändern", "Changer", "Cambia", "Mudar", "Cambiar")},
    {"QuizLabel", K::Caption,
     Tr("Answer :", "Válasz :", "Antwort :", "Réponse :", "Risposta :", "Resposta :", "Respuesta :")},
    {"LabelDelay", K::Caption,
     Tr("Answer time (s)", "Válaszidö (mp)", "Antwortzeit (s)", "Délai de réponse (s)", "Tempo di risposta (s)",
        "Tempo de resposta (s)", "Tiempo de respuesta (s)")},
    {"EditDelay", K::Hint,
     Tr("min=0.2/max=9", "min=0.2/max=9", "min=0.2/max=9", "min=0.2/max=9", "min=0.2/max=9", "min=0.2/max=9",
        "min=0.2/max=9")},
    {"LabelQuizNumber", K::Caption,
     Tr("Questions", "Kérdések", "Fragen", "Questions", "Domande", "Perguntas", "Preguntas")},
    {"CheckBoxVitMod", K::Caption,
     Tr("Variable speed", "Változó sebesség", "Variable Geschwindigkeit", "Vitesse variable", "Velocità variabile",
        "Velocidade variável", "Velocidad variable")},
    {"CheckBoxDelayAdjust", K::Caption,
     Tr("Variable delay", "Változó válaszidö", "Variable Antwortzeit", "Délai variable", "Tempo variabile",
        "Tempo variável", "Tiempo variable")},
    {"CheckBoxAbortDelay", K::Caption,
     Tr("Shorten delay", "Rövidebb válaszidö", "Antwortzeit abkürzen", "Abréger le délai", "Abbrevia il tempo",
        "Encurtar o tempo", "Acortar el tiempo")},
    {"CheckBoxAbortDelay", K::Hint,
     Tr("The answer is judged as soon as it is typed", "A válasz értékelése rögtön a begépelés után",
        "Die Antwort wird sofort nach der Eingabe bewertet", "La réponse est jugée dès qu'elle est tapée",
        "La risposta è giudicata appena digitata", "A resposta é avaliada logo que é escrita",
        "La respuesta se evalúa en cuanto se escribe")},
    {"GroupBoxQuiz", K::Caption, Tr("Score", "Eredmény", "Ergebnis", "Score", "Punteggio", "Pontuação", "Puntuación")},
    {"ButtonMark", K::Caption, Tr("&Mark", "&Pontszám", "&Note", "&Note", "&Voto", "&Nota", "&Nota")},
    {"ButtonMark", K::Hint,
     Tr("Send the score in Morse", "A pontszám elküldése morzéval", "Das Ergebnis in Morse senden",
        "Envoyer le score en morse", "Invia il punteggio in Morse", "Enviar a pontuação em Morse",
        "Enviar la puntuación en Morse")},
    {"LabelRevise", K::Caption,
     Tr("To revise :", "Átnézendö :", "Zu wiederholen :", "À revoir :", "Da ripassare :", "A rever :", "Para repasar :")},
    {"ButtonDetailedReport", K::Caption,
     Tr("Detailed report", "Részletes jelentés", "Ausführlicher Bericht", "Rapport détaillé", "Rapporto dettagliato",
        "Relatório detalhado", "Reporte detallado")},
    {"ButtonResetReport", K::Caption,
     Tr("Clear report", "Jelentés törlése", "Bericht löschen", "Effacer le rapport", "Cancella il rapporto",
        "Apagar o relatório", "Borrar el reporte")},
    {"ButtonQuizOK", K::Hint,
     Tr("Ctrl + left click: count-down before the first question",
        "Ctrl + bal kattintás: visszaszámlálás az elsö kérdés elött",
        "Strg + Linksklick: Countdown vor der ersten Frage", "Ctrl + clic gauche : compte à rebours avant la première question",
        "Ctrl + clic sinistro: conto alla rovescia prima della prima domanda",
        "Ctrl + clique esquerdo: contagem decrescente antes da primeira pergunta",
        "Ctrl + clic izquierdo: cuenta atrás antes de la primera pregunta")},
    {"ButtonQuizStop", K::Caption, Tr("Stop", "Állj", "Stopp", "Stop", "Stop", "Parar", "Parar")},
    {"ButtonQuizStop", K::Hint,
     Tr("Stop the quiz", "A kvíz leállítása", "Quiz beenden", "Arrêter le quiz", "Ferma il quiz", "Parar o quiz",
        "Detener el quiz")},
    {"Visage0", K::Hint, FaceHint},
    {"VisageHa", K::Hint, FaceHint},
    {"VisageHo", K::Hint, FaceHint},
    {"VisageNoir", K::Hint, FaceHint},
    {"MenuQUIZdelaiOK", K::Caption,
     Tr("QUIZ: Count-down before the first question", "KVÍZ: Visszaszámlálás az elsö kérdés elött",
        "QUIZ: Countdown vor der ersten Frage", "QUIZ : Compte à rebours avant la première question",
        "QUIZ: Conto alla rovescia prima della prima domanda", "QUIZ: Contagem decrescente antes da primeira pergunta",
        "QUIZ: Cuenta atrás antes de la primera pregunta")},
    {"menuQUIZdelaiOK00", K::Caption, SecondsCaptions[0]},
    {"menuQUIZdelaiOK10", K::Caption, SecondsCaptions[1]},
    {"menuQUIZdelaiOK20", K::Caption, SecondsCaptions[2]},
    {"MenuQuizDelaiOK30", K::Caption, SecondsCaptions[3]},
    {"PopQuiz0", K::Caption, SecondsCaptions[0]},
    {"PopQuiz1", K::Caption, SecondsCaptions[1]},
    {"PopQuiz2", K::Caption, SecondsCaptions[2]},
    {"PopQuiz3", K::Caption, SecondsCaptions[3]},
    {"MenuQuizReprise", K::Caption,
     Tr("QUIZ: Pause after a wrong answer", "KVÍZ: Szünet hibás válasz után", "QUIZ: Pause nach falscher Antwort",
        "QUIZ : Pause après une erreur", "QUIZ: Pausa dopo un errore", "QUIZ: Pausa depois de um erro",
        "QUIZ: Pausa tras un error")},
    {"MenuReprise0s", K::Caption, Tr("OFF", "KI", "AUS", "NON", "NO", "NÃO", "NO")},
    {"MenuReprise1s", K::Caption, SecondsCaptions[1]},
    {"MenuReprise2s", K::Caption, SecondsCaptions[2]},
    {"MenuReprise3s", K::Caption, SecondsCaptions[3]},
    {"MenuQuizErreur", K::Caption,
     Tr("QUIZ: Ask a missed character again at once", "KVÍZ: A hibázott karakter azonnali ismétlése",
        "QUIZ: Falsches Zeichen sofort wiederholen", "QUIZ : Reposer aussitôt un caractère manqué",
        "QUIZ: Richiedi subito un carattere sbagliato", "QUIZ: Repetir logo um carácter errado",
        "QUIZ: Repetir en seguida un carácter fallado")},
    {"MenuQuizPseudorandom", K::Caption,
     Tr("QUIZ: Equal occurrence of each character", "KVÍZ: Minden karakter egyenlö gyakorisággal",
        "QUIZ: Jedes Zeichen gleich oft", "QUIZ : Égale occurrence de chaque caractère",
        "QUIZ: Pari occorrenze di ogni carattere", "QUIZ: Igual ocorrência de cada carácter",
        "QUIZ: Igual ocurrencia de cada carácter")},
    {"MenuMaskReport", K::Caption,
     Tr("QUIZ: Hide the score while playing", "KVÍZ: Eredmény elrejtése játék közben",
        "QUIZ: Ergebnis während des Spiels verbergen", "QUIZ : Cacher le score pendant le jeu",
        "QUIZ: Nascondi il punteggio durante il gioco", "QUIZ: Esconder a pontuação durante o jogo",
        "QUIZ: Ocultar la puntuación durante el juego")},
    {"UpDelai", K::Caption,
     Tr("QUIZ: Longer answer time", "KVÍZ: Hosszabb válaszidö", "QUIZ: Längere Antwortzeit",
        "QUIZ : Délai de réponse plus long", "QUIZ: Tempo di risposta più lungo", "QUIZ: Tempo de resposta mais longo",
        "QUIZ: Tiempo de respuesta más largo")},
    {"DownDelai", K::Caption,
     Tr("QUIZ: Shorter answer time", "KVÍZ: Rövidebb válaszidö", "QUIZ: Kürzere Antwortzeit",
        "QUIZ : Délai de réponse plus court", "QUIZ: Tempo di risposta più breve", "QUIZ: Tempo de resposta mais curto",
        "QUIZ: Tiempo de respuesta más corto")},
};
static_assert(allLanguagesPresent(Texts, [](const TextRow &row) -> const Tr & { return row.text; }),
              "every text needs its seven languages");

// ---- Settings ----------------------------------------------------------------------------------

void flag(std::vector<std::string> &values, bool on)
{
    values.push_back(on ? "1" : "0");
}

} // namespace

std::span<const TextRow> QuizTextRows()
{
    return Texts;
}

// ---- The panel ---------------------------------------------------------------------------------

void BuildQuizPanel(QuizModule &m)
{
    TForm1 &f = *m.form;
    m.QuizGroupBox = Named(new QGroupBox(QStringLiteral("Quiz"), f.Frame), "QuizGroupBox");
    m.QuizGroupBox->setGeometry(8, 104, 644, 300);
    m.QuizGroupBox->hide();
    QGroupBox *box = m.QuizGroupBox;
    auto *events = new QuizEvents(box);

    m.LabelQuizCaracters = Named(new QLabel(QStringLiteral("Characters :"), box), "LabelQuizCaracters");
    m.LabelQuizCaracters->setGeometry(8, 20, 96, 24);
    m.EditCaractersQuiz = Named(new QLineEdit(box), "EditCaractersQuiz");
    m.EditCaractersQuiz->setGeometry(108, 20, 220, 24);
    m.EditCaractersQuiz->setReadOnly(true);
    m.EditCaractersQuiz->setCursor(Qt::PointingHandCursor);
    m.EditCaractersQuiz->installEventFilter(events);
    NameAfter(m.EditCaractersQuiz, m.LabelQuizCaracters, box);
    m.ButtonChangeLessonQuiz = Named(new QPushButton(QStringLiteral("Change"), box), "ButtonChangeLessonQuiz");
    m.ButtonChangeLessonQuiz->setGeometry(334, 20, 84, 24);
    QObject::connect(m.ButtonChangeLessonQuiz, &QPushButton::clicked, m.ButtonChangeLessonQuiz,
                     [&m] { MenuChoixCaracteresClick(m.ButtonChangeLessonQuiz); });
    m.LabelOccurence = Named(new QLabel(box), "LabelOccurence");
    m.LabelOccurence->setGeometry(424, 20, 212, 24);

    m.ButtonQuizOK = Named(new QuizOKButton(QStringLiteral("PLAY"), box), "ButtonQuizOK");
    m.ButtonQuizOK->setGeometry(8, 54, 96, 34);
    QObject::connect(m.ButtonQuizOK, &QPushButton::clicked, m.ButtonQuizOK, [&m] { ButtonQuizOKClick(m.ButtonQuizOK); });
    m.ButtonQuizStop = Named(new QPushButton(QStringLiteral("Stop"), box), "ButtonQuizStop");
    m.ButtonQuizStop->setGeometry(m.ButtonQuizOK->geometry());
    m.ButtonQuizStop->hide();
    m.ButtonQuizStop->setEnabled(false);
    QObject::connect(m.ButtonQuizStop, &QPushButton::clicked, m.ButtonQuizStop,
                     [&m] { ButtonQuizStopClick(m.ButtonQuizStop); });
    for (int i = 0; i < 3; ++i) {
        auto *digit = new QLabel(QString::number(i + 1), box);
        digit->setObjectName(QStringLiteral("ImageChronoQuiz%1").arg(i + 1));
        digit->setAlignment(Qt::AlignCenter);
        QFont font = digit->font();
        font.setPointSize(22);
        font.setBold(true);
        digit->setFont(font);
        digit->setGeometry(8, 50, 96, 42);
        digit->hide();
        m.ImageChronoQuiz[static_cast<std::size_t>(i)] = digit;
    }

    m.QuizLabel = Named(new QLabel(QStringLiteral("Answer :"), box), "QuizLabel");
    m.QuizLabel->setGeometry(120, 54, 90, 34);
    m.EditReponseQuiz = Named(new QLineEdit(box), "EditReponseQuiz");
    m.EditReponseQuiz->setGeometry(214, 54, 44, 34);
    m.EditReponseQuiz->setMaxLength(1);
    m.EditReponseQuiz->setAlignment(Qt::AlignCenter);
    NameAfter(m.EditReponseQuiz, m.QuizLabel);
    QFont answerFont = m.EditReponseQuiz->font();
    answerFont.setPointSize(16);
    m.EditReponseQuiz->setFont(answerFont);
    QObject::connect(m.EditReponseQuiz, &QLineEdit::textChanged, m.EditReponseQuiz,
                     [&m] { EditReponseQuizChange(m.EditReponseQuiz); });
    m.EditRandomQuiz = Named(new QLineEdit(box), "EditRandomQuiz");
    m.EditRandomQuiz->setGeometry(264, 54, 30, 34);
    m.EditRandomQuiz->hide();

    m.Visage0 = faceLabel(box, "Visage0", facePicture(Face::Neutral, false));
    m.VisageHa = faceLabel(box, "VisageHa", facePicture(Face::Right, false));
    m.VisageHo = faceLabel(box, "VisageHo", facePicture(Face::Wrong, false));
    m.VisageNoir = faceLabel(box, "VisageNoir", facePicture(Face::Neutral, true));
    m.VisageHa->hide();
    m.VisageHo->hide();
    m.VisageNoir->hide();
    for (QLabel *face : {m.Visage0, m.VisageHa, m.VisageHo, m.VisageNoir})
        face->installEventFilter(events);
    // To a screen reader the face is one button that hides it or shows it again, as a click on
    // the face or on its cover does.
    for (QLabel *face : {m.Visage0, m.VisageHa, m.VisageHo})
        ActsAsButton(face, [&m, face] { QuizFaceClick(m.VisageNoir->isVisible() ? m.VisageNoir : face); });

    m.LabelDelay = Named(new QLabel(QStringLiteral("Answer time (s)"), box), "LabelDelay");
    m.LabelDelay->setGeometry(8, 100, 150, 24);
    m.UpDownDelay = Named(new DelaySpinBox(box), "UpDownDelay");
    m.UpDownDelay->setRange(1, quiz::DelaySteps);
    m.UpDownDelay->setValue(quiz::DefaultDelayStep);
    m.UpDownDelay->setGeometry(160, 100, 72, 24);
    NameAfter(m.UpDownDelay, m.LabelDelay);
    m.EditDelay = m.UpDownDelay->findChild<QLineEdit *>();
    if (m.EditDelay) {
        m.EditDelay->setObjectName(QStringLiteral("EditDelay"));
        m.EditDelay->setReadOnly(true);
    }
    QObject::connect(m.UpDownDelay, &QSpinBox::valueChanged, m.UpDownDelay, [&m] { UpDownDelayClick(m.UpDownDelay); });
    m.LabelQuizNumber = Named(new QLabel(QStringLiteral("Questions"), box), "LabelQuizNumber");
    m.LabelQuizNumber->setGeometry(250, 100, 100, 24);
    m.SpinEditQuizNumber = Named(new QSpinBox(box), "SpinEditQuizNumber");
    m.SpinEditQuizNumber->setRange(quiz::MinSeriesLength, quiz::MaxSeriesLength);
    m.SpinEditQuizNumber->setSingleStep(5);
    m.SpinEditQuizNumber->setValue(quiz::DefaultSeriesLength);
    m.SpinEditQuizNumber->setGeometry(352, 100, 76, 24);
    NameAfter(m.SpinEditQuizNumber, m.LabelQuizNumber);
    m.ButtonQuizHelp = NewHelpButton(box, "ButtonQuizHelp", {440, 100, 24, 24}, box);
    QObject::connect(m.SpinEditQuizNumber, &QSpinBox::valueChanged, m.SpinEditQuizNumber,
                     [&m] { SpinEditQuizNumberChange(m.SpinEditQuizNumber); });

    m.CheckBoxVitMod = Named(new QCheckBox(QStringLiteral("Variable speed"), box), "CheckBoxVitMod");
    m.CheckBoxVitMod->setGeometry(8, 132, 200, 24);
    // Variable delay can be chosen exactly while variable speed is: whoever sets the box.
    QObject::connect(m.CheckBoxVitMod, &QCheckBox::toggled, m.CheckBoxVitMod, [&m] { CheckBoxVitModClick(m.CheckBoxVitMod); });
    m.CheckBoxDelayAdjust = Named(new QCheckBox(QStringLiteral("Variable delay"), box), "CheckBoxDelayAdjust");
    m.CheckBoxDelayAdjust->setGeometry(214, 132, 200, 24);
    m.CheckBoxDelayAdjust->setEnabled(false);
    m.CheckBoxAbortDelay = Named(new QCheckBox(QStringLiteral("Shorten delay"), box), "CheckBoxAbortDelay");
    m.CheckBoxAbortDelay->setGeometry(420, 132, 216, 24);

    m.GroupBoxQuiz = Named(new QGroupBox(QStringLiteral("Score"), box), "GroupBoxQuiz");
    m.GroupBoxQuiz->setGeometry(8, 162, 628, 130);
    QGroupBox *score = m.GroupBoxQuiz;
    m.EditMark = Named(new QLineEdit(score), "EditMark");
    m.EditMark->setGeometry(8, 22, 180, 26);
    m.EditMark->setReadOnly(true);
    m.EditMark->installEventFilter(events);
    m.ButtonMark = Named(new QPushButton(QStringLiteral("&Mark"), score), "ButtonMark");
    m.ButtonMark->setGeometry(194, 22, 90, 26);
    QObject::connect(m.ButtonMark, &QPushButton::clicked, m.ButtonMark, [&m] { ButtonMarkClick(m.ButtonMark); });
    m.LabelRevise = Named(new QLabel(QStringLiteral("To revise :"), score), "LabelRevise");
    m.LabelRevise->setGeometry(8, 56, 110, 26);
    m.EditRevise = Named(new QLineEdit(score), "EditRevise");
    m.EditRevise->setGeometry(120, 56, 500, 26);
    m.EditRevise->setReadOnly(true);
    NameAfter(m.EditRevise, m.LabelRevise);
    m.ButtonDetailedReport = Named(new QPushButton(QStringLiteral("Detailed report"), score), "ButtonDetailedReport");
    m.ButtonDetailedReport->setGeometry(8, 90, 180, 30);
    QObject::connect(m.ButtonDetailedReport, &QPushButton::clicked, m.ButtonDetailedReport,
                     [&m] { ButtonDetailedReportClick(m.ButtonDetailedReport); });
    m.ButtonResetReport = Named(new QPushButton(QStringLiteral("Clear report"), score), "ButtonResetReport");
    m.ButtonResetReport->setGeometry(194, 90, 180, 30);
    QObject::connect(m.ButtonResetReport, &QPushButton::clicked, m.ButtonResetReport,
                     [&m] { ButtonResetReportClick(m.ButtonResetReport); });
    m.Label10 = Named(new QLabel(score), "Label10");
    m.Label10->setGeometry(580, 22, 40, 26);
    m.Label10->hide();
}

// ---- Menus -------------------------------------------------------------------------------------

void BuildQuizMenus(QuizModule &m)
{
    TForm1 &f = *m.form;
    QMenu *tools = f.MenuOutils;
    QAction *quit = f.MenuOutilsQuit;

    // Count-down before the first question, with its twin pop-up on PLAY.
    auto *countdown = new QMenu(QStringLiteral("QUIZ: Count-down before the first question"), tools);
    m.MenuQUIZdelaiOK = Named(countdown->menuAction(), "MenuQUIZdelaiOK");
    m.MenuQUIZdelaiOK->setCheckable(true);
    tools->insertMenu(quit, countdown);
    m.PopQuizOK = Named(new QMenu(m.ButtonQuizOK), "PopQuizOK");
    static constexpr const char *delaiNames[] = {"menuQUIZdelaiOK00", "menuQUIZdelaiOK10", "menuQUIZdelaiOK20",
                                                 "MenuQuizDelaiOK30"};
    auto *items = new QActionGroup(countdown);
    auto *pops = new QActionGroup(m.PopQuizOK);
    for (int i = 0; i < 4; ++i) {
        QAction *item = Named(countdown->addAction(QStringLiteral("%1 s").arg(i)), delaiNames[i]);
        item->setCheckable(true);
        items->addAction(item);
        QObject::connect(item, &QAction::triggered, item, [i] { MenuQuizDelaiOKClick(i); });
        m.DelaiOKItems[static_cast<std::size_t>(i)] = item;
        const QByteArray popName = "PopQuiz" + QByteArray::number(i);
        QAction *pop = Named(m.PopQuizOK->addAction(QStringLiteral("%1 s").arg(i)), popName.constData());
        pop->setCheckable(true);
        pops->addAction(pop);
        QObject::connect(pop, &QAction::triggered, pop, [i] { ButtonretardQuizClick(i); });
        m.PopQuiz[static_cast<std::size_t>(i)] = pop;
    }
    m.DelaiOKItems[0]->setChecked(true);
    m.PopQuiz[0]->setChecked(true);

    // Pause after a wrong answer.
    auto *pause = new QMenu(QStringLiteral("QUIZ: Pause after a wrong answer"), tools);
    m.MenuQuizReprise = Named(pause->menuAction(), "MenuQuizReprise");
    m.MenuQuizReprise->setCheckable(true);
    tools->insertMenu(quit, pause);
    auto *pauses = new QActionGroup(pause);
    for (int i = 0; i < 4; ++i) {
        const QByteArray name = "MenuReprise" + QByteArray::number(i) + "s";
        QAction *item = Named(pause->addAction(i == 0 ? QStringLiteral("OFF") : QStringLiteral("%1 s").arg(i)),
                              name.constData());
        item->setCheckable(true);
        pauses->addAction(item);
        QObject::connect(item, &QAction::triggered, item, [i] { MenuRepriseClick(i); });
        m.RepriseItems[static_cast<std::size_t>(i)] = item;
    }
    m.RepriseItems[0]->setChecked(true);

    auto option = [&](const char *name, const QString &caption, void (*handler)(QObject *)) {
        auto *item = Named(new QAction(caption, tools), name);
        item->setCheckable(true);
        tools->insertAction(quit, item);
        QObject::connect(item, &QAction::triggered, item, [item, handler] { handler(item); });
        return item;
    };
    m.MenuQuizErreur = option("MenuQuizErreur", QStringLiteral("QUIZ: Ask a missed character again at once"),
                              MenuQuizErreurClick);
    m.MenuQuizPseudorandom = option("MenuQuizPseudorandom", QStringLiteral("QUIZ: Equal occurrence of each character"),
                                    MenuQuizPseudorandomClick);
    m.MenuMaskReport = option("MenuMaskReport", QStringLiteral("QUIZ: Hide the score while playing"), MenuMaskReportClick);

    m.UpDelai = Named(new QAction(QStringLiteral("QUIZ: Longer answer time"), tools), "UpDelai");
    tools->insertAction(quit, m.UpDelai);
    QObject::connect(m.UpDelai, &QAction::triggered, m.UpDelai, [&m] { UpDelaiClick(m.UpDelai); });
    m.DownDelai = Named(new QAction(QStringLiteral("QUIZ: Shorter answer time"), tools), "DownDelai");
    tools->insertAction(quit, m.DownDelai);
    QObject::connect(m.DownDelai, &QAction::triggered, m.DownDelai, [&m] { DownDelaiClick(m.DownDelai); });
    tools->insertSeparator(quit);
}

// ---- Keys --------------------------------------------------------------------------------------

void AddQuizKeyRoutes()
{
    // Seen as the key goes down on the focused control, and taken whether or not it acts.
    AddKeyRoute({"quiz: answer field", KeyStage::FocusKeyDown, 60, "EditReponseQuiz", KeyEnter,
                 [](int) { return QuizModeChecked(); },
                 [](int) { return NamedChecked(*QuizModuleState().form, "MenuDiversEnter") && QuizStopOrPlay(); },
                 KeyConsume::Always});
    AddKeyRoute({"quiz: play and stop", KeyStage::FocusKeyDown, 61, "ButtonQuizOK ButtonQuizStop", KeyEnter,
                 [](int) { return QuizModeChecked(); }, [](int) { return QuizStopOrPlay(); }, KeyConsume::Always});
}

// ---- Settings ----------------------------------------------------------------------------------

void BindQuizSettings(QuizModule &m)
{
    Settings().bind({
        {"DELAY=",
         [&m](const std::string &value) {
             if (const auto step = quiz::DelayStepOfText(value))
                 m.UpDownDelay->setValue(*step);
         },
         [&m](std::vector<std::string> &values) { values.push_back(quiz::DelayCaption(m.UpDownDelay->value())); }},
        {"QUIZ_COUNT=",
         [&m](const std::string &value) {
             if (const auto count = settings::ParseInt(value))
                 m.SpinEditQuizNumber->setValue(std::clamp(*count, quiz::MinSeriesLength, quiz::MaxSeriesLength));
         },
         [&m](std::vector<std::string> &values) { values.push_back(std::to_string(m.SpinEditQuizNumber->value())); }},
        {"SPEED_ADJUST=", [&m](const std::string &) { m.CheckBoxVitMod->setChecked(true); },
         [&m](std::vector<std::string> &values) {
             if (m.CheckBoxVitMod->isChecked())
                 values.push_back("ON");
         }},
        {"DELAY_ADJUST=", [&m](const std::string &) { m.CheckBoxDelayAdjust->setChecked(true); },
         [&m](std::vector<std::string> &values) {
             if (m.CheckBoxDelayAdjust->isChecked())
                 values.push_back("ON");
         }},
        {"ABORTDELAY=",
         [&m](const std::string &value) {
             if (value == "1")
                 m.CheckBoxAbortDelay->setChecked(true);
         },
         [&m](std::vector<std::string> &values) { flag(values, m.CheckBoxAbortDelay->isChecked()); }},
        {"RESUMEDELAY=",
         [&m](const std::string &value) {
             if (value.size() == 1 && value[0] >= '1' && value[0] <= '3') {
                 m.RepriseItems[static_cast<std::size_t>(value[0] - '0')]->setChecked(true);
                 m.MenuQuizReprise->setChecked(true);
             }
         },
         [](std::vector<std::string> &values) { values.push_back(std::to_string(QuizPauseSeconds())); }},
        {"QUIZERROR=",
         [&m](const std::string &value) {
             if (value == "1")
                 m.MenuQuizErreur->setChecked(true);
         },
         [&m](std::vector<std::string> &values) { flag(values, m.MenuQuizErreur->isChecked()); }},
        {"QUIZPSEUDO=",
         [&m](const std::string &value) {
             if (value == "1")
                 m.MenuQuizPseudorandom->setChecked(true);
         },
         [&m](std::vector<std::string> &values) { flag(values, m.MenuQuizPseudorandom->isChecked()); }},
        {"QUIZOKDELAY=",
         [&m](const std::string &value) {
             static constexpr const char *values[] = {"00", "10", "20", "30"};
             for (std::size_t i = 0; i < 4; ++i) {
                 if (value == values[i]) {
                     m.DelaiOKItems[i]->setChecked(true);
                     m.PopQuiz[i]->setChecked(true);
                     m.MenuQUIZdelaiOK->setChecked(i > 0);
                 }
             }
         },
         [](std::vector<std::string> &values) { values.push_back(std::to_string(QuizCountdownSeconds()) + "0"); }},
        {"QUIZMASK=",
         [&m](const std::string &value) {
             if (value == "1")
                 m.MenuMaskReport->setChecked(true);
         },
         [&m](std::vector<std::string> &values) {
             if (m.MenuMaskReport->isChecked())
                 values.push_back("1");
         }},
    });
}
