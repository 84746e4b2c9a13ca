#include "shell/languages/languages.h"
#include "shell/mainwindow.h"
#include "shell/languages/mainwindowtexts.h"
#include "shell/languages/messages.h"
#include "shell/summaries.h"
#include "training/quiz.h"
#include "training/typing.h"
#include "tests/shell/shelltestsupport.h"

#include "engine/cp1252.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QWidget>
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <set>
#include <thread>

namespace {

constexpr std::array<Language, LanguageCount> kAllLanguages = {
    Language::English, Language::Magyar,    Language::Deutsch, Language::Francais,
    Language::Italiano, Language::Portugues, Language::Espanol};

bool encodableInCp1252(const QString &text)
{
    return cp1252::toQString(cp1252::fromQString(text)) == text;
}

struct TranslatedRow
{
    Msg id;
    std::array<const char *, 6> text; // Magyar, Deutsch, Français, Italiano, Português, Español
};

const TranslatedRow kTranslated[] = {
    {Msg::TxtYes, {"Igen", "Ja", "Oui", "Si", "Sim", "Si"}},
    {Msg::TxtNo, {"Nem", "Nein", "Non", "No", "Não", "No"}},
    {Msg::TxtHide, {"Rejt", "Verbergen", "Cacher", "Nascondi", "Esconder", "Ocultar"}},
    {Msg::TxtShow, {"Mutat", "Anzeigen", "Montrer", "Mostra", "Mostrar", "Mostrar"}},
    {Msg::TxtReplayText, {"Szöveg Ism.", "&Text wiederspln", "Rejouer le &Texte", "Riesegui &Testo", "Repetir o &texto", "Reprod. &texto"}},
    {Msg::TxtResumeText, {"Szöveg folytatása", "&Text weiterspln", "Suite du &Texte", "Continua &Testo", "Voltar o &texto", "Contin. &texto"}},
    {Msg::TxtRealSpeed, {"Valós sebesség (wpm) = ", "Reale Geschwindigkeit (wpm) = ", "Vitesse réelle (mots/min) = ", "Velocità effettivo (ppm) = ", "Velocidade real (ppm) = ", "Velocidad effectiva (ppm) = "}},
    {Msg::TxtWpm, {" wpm", " wpm", " mots/min", " ppm", " ppm", " ppm"}},
    {Msg::TxtLesson, {"Lecke", "Lektion", "Leçon", "Lezione", "Lição", "Lección"}},
    {Msg::TxtLocal, {"helyi", "lokal", "local", "locale", "locais", "local"}},
    {Msg::TxtProsignWait, {"várakozik", "warten", "attendez", "attendete", "esperar", "esperar"}},
    {Msg::TxtProsignError, {"hiba", "Fehler", "erreur", "errore", "erro", "error"}},
    {Msg::TxtProsignTransmit, {"adás", "senden", "transmettez", "trasmettete", "transmitir", "transmitir"}},
    {Msg::TxtProsignEndOfWork, {"a munka vége", "Arbeitsende", "fin de travail", "fine della trasmissione", "fim da transmissão", "fin de transmisión"}},
    {Msg::TxtProsignUnderstood, {"megértett", "verstanden", "compris", "capito", "entendido", "entendido"}},
    {Msg::TxtProsignEndOfMessage, {"üzenet vége", "Ende der Nachricht", "fin de message", "fine del messaggio", "fim da mensagem", "fin del mensaje"}},
    {Msg::TxtProsignBreak, {"break", "Break", "break", "break", "break", "break"}},
    {Msg::MsgConfirmQuit, {"Biztosan kilépsz?", "Sie verlassen Kestrelon! Sind Sie sicher?", "Vous quittez ! Etes-vous sûr ?", "State uscendo dal programma ! Ne siete sicuri ?", "Pediu para sair ! Tem a certeza ?", "Sale del programa! Esta usted seguro?"}},
    {Msg::MsgStopPlayingBeforeSoundCard, {"Hangkártya váltás elött a lejátszást állítsd le!", "Spiel stoppen vor Soundkarte-Änderung !", "Arrêtez de jouer avant de changer de carte son !", "Arrestare il suono prima di cambiare scheda audio!", "Pare de executar antes de modificar a placa de som !", "Stop playing before changing sound card!"}},
};

TEST(MessageTable, EveryMessageHasSevenLanguagesEncodableForFiles)
{
    std::set<QString> names;
    for (int i = 0; i < MessageCount; ++i) {
        const auto id = static_cast<Msg>(i);
        names.insert(QString::fromLatin1(MessageName(id)));
        for (Language language : kAllLanguages) {
            const QString text = MessageIn(id, language);
            EXPECT_FALSE(text.trimmed().isEmpty()) << MessageName(id) << " " << static_cast<int>(language);
            // Messages end up in files (monitor text, quiz report) and engine texts.
            EXPECT_TRUE(encodableInCp1252(text)) << MessageName(id) << " " << static_cast<int>(language);
        }
    }
    EXPECT_EQ(names.size(), 68u);
}

TEST(MessageTable, GivenTranslationsAreExact)
{
    for (const TranslatedRow &row : kTranslated) {
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(MessageIn(row.id, kAllLanguages[i + 1]), QString::fromUtf8(row.text[i]))
                << MessageName(row.id) << " language " << i + 1;
    }
}

TEST(MessageTable, SpanishQuestionsKeepTheirOwnEndings)
{
    EXPECT_TRUE(MsgConfirmLocalOverBuiltinIn(Language::Espanol).endsWith(QStringLiteral("como local?")));
    EXPECT_TRUE(MsgConfirmShortcutOverBuiltinIn(Language::Espanol).endsWith(QStringLiteral("como atajos?")));
}

TEST(MessageTable, ProsignWordsFollowProsignCodes)
{
    LanguageMenuClick(Language::English);
    // Codes 1..7 are AS, HH, KN, VA, SN, AR, BK.
    const char *const english[] = {"wait", "error", "transmit", "end of work", "understood", "end of message", "break"};
    for (int code = 1; code <= 7; ++code)
        EXPECT_EQ(ProsignWord(code), QString::fromLatin1(english[code - 1])) << code;
    EXPECT_TRUE(ProsignWord(0).isEmpty());
    EXPECT_TRUE(ProsignWord(8).isEmpty());

    LanguageMenuClick(Language::Magyar);
    EXPECT_EQ(ProsignWord(3), QStringLiteral("adás"));
    EXPECT_EQ(ProsignWordCp1252(6), std::string("\xFC" "zenet v\xE9" "ge"));
    LanguageMenuClick(Language::Deutsch);
    EXPECT_EQ(ProsignWord(4), QStringLiteral("Arbeitsende"));
    LanguageMenuClick(Language::English);
}

// The key decoder's timer thread reads the prosign words while the user switches languages:
// each read is a whole word of one of the languages.
TEST(MessageTable, ProsignWordsReadDuringSwitchesAreWholeWords)
{
    std::set<QString> words;
    for (Language language : kAllLanguages) {
        LanguageMenuClick(language);
        for (int code = 1; code <= 7; ++code)
            words.insert(ProsignWord(code));
    }
    std::atomic<bool> stop{false};
    std::atomic<int> reads{0}, strange{0};
    std::thread decoder([&] {
        for (; !stop; ++reads)
            for (int code = 1; code <= 7; ++code)
                strange += words.count(ProsignWord(code)) == 0 ? 1 : 0;
    });
    // Switching until the thread has read a good many times (a loaded machine may be slow).
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (int i = 0; reads < 200 && std::chrono::steady_clock::now() < deadline; ++i)
        LanguageMenuClick(kAllLanguages[i % LanguageCount]);
    stop = true;
    decoder.join();
    LanguageMenuClick(Language::English);
    EXPECT_GE(reads, 200);
    EXPECT_EQ(strange, 0);
}

TEST(LanguageTables, LessonSetCaptionsAreExact)
{
    struct Row
    {
        Language language;
        const char *koch;
        const char *local;
    };
    const Row rows[] = {
        {Language::English, "The current set of lessons is: KOCH", "The current set of lessons is: LOCAL"},
        {Language::Francais, "Jeu de leçons actuel : KOCH", "Jeu de leçons actuel : LOCAL"},
        {Language::Deutsch, "Die aktuelle Lektionserie ist: KOCH", "Die aktuelle Lektionserie ist: LOKAL"},
        {Language::Italiano, "L'attuale serie di lezioni è: KOCH", "L'attuale serie di lezioni è: LOCALE"},
        {Language::Espanol, "El conjunto actual de lecciones es: KOCH", "El conjunto actual de lecciones es: LOCAL"},
        {Language::Portugues, "O conjunto atual de lições é: KOCH", "O conjunto atual de lições é: LOCAIS"},
        {Language::Magyar, "A leckék jelenlegi sorozata: KOCH", "A leckék jelenlegi sorozata: HELYI"},
    };
    for (const Row &row : rows) {
        EXPECT_EQ(PickIn(LessonSetCaption(true), row.language), QString::fromUtf8(row.koch));
        EXPECT_EQ(PickIn(LessonSetCaption(false), row.language), QString::fromUtf8(row.local));
    }
}

TEST(LanguageTables, MainWindowRowsAreCompleteAndListRowsFitFiles)
{
    std::set<std::pair<std::string, int>> listRows;
    for (const TextRow *rowPointer : AllMainWindowTextRows()) {
        const TextRow &row = *rowPointer;
        for (Language language : kAllLanguages) {
            const QString text = PickIn(row.text, language);
            EXPECT_FALSE(text.isEmpty()) << row.object;
            if (row.kind == TextKind::Item) {
                EXPECT_TRUE(encodableInCp1252(text)) << row.object << " " << row.item;
            }
        }
        if (qstrcmp(row.object, "ListAlphabet") == 0 && row.kind == TextKind::Item) {
            EXPECT_TRUE(listRows.insert({row.object, row.item}).second) << "row " << row.item << " twice";
        }
    }
    // The heading rows of the character list.
    const std::set<int> headings = {0, 1, 30, 31, 32, 46, 47, 61, 62, 63, 65, 67, 69,
                                    71, 73, 75, 77, 92, 93, 94, 95, 123, 124, 125, 126};
    std::set<int> found;
    for (const auto &row : listRows)
        found.insert(row.second);
    EXPECT_EQ(found, headings);
}

TEST(LanguageTables, LettersAndHelpFiles)
{
    const char letters[] = {'E', 'M', 'D', 'F', 'I', 'P', 'S'};
    const char *const help[] = {"kestrelon_en.chm", "kestrelon_hu.chm", "kestrelon_de.chm", "kestrelon_fr.chm",
                                "kestrelon_it.chm", "kestrelon_pt.chm", "kestrelon_es.chm"};
    for (int i = 0; i < LanguageCount; ++i) {
        EXPECT_EQ(LanguageLetter(kAllLanguages[i]), letters[i]);
        EXPECT_EQ(LanguageFromLetter(letters[i]), kAllLanguages[i]);
        EXPECT_EQ(LanguageFromLetter(static_cast<char>(letters[i] + 32)), kAllLanguages[i]);
        EXPECT_EQ(LanguageHelpFileName(kAllLanguages[i]), QLatin1String(help[i]));
    }
    EXPECT_FALSE(LanguageFromLetter('X'));
    EXPECT_FALSE(LanguageFromLetter('\0'));
}

TEST(LanguageTexts, RealSpeedAndModeTitles)
{
    Timing timing;
    EXPECT_EQ(RealSpeedText(timing, Language::English), QStringLiteral("Real speed (wpm) = 12.0"));
    timing.setCharacterSpacing(2);
    EXPECT_EQ(RealSpeedText(timing, Language::Francais), QStringLiteral("Vitesse réelle (mots/min) = 9.2"));
    EXPECT_EQ(ModeTitleFromCaption(QStringLiteral("&Letters")), QStringLiteral(" Letters"));
    EXPECT_EQ(ModeTitleFromCaption(QStringLiteral("Letters && &Figures")), QStringLiteral(" Letters & &Figures"));
    EXPECT_EQ(LessonModeTitle(4, 3, true, Language::English), QStringLiteral("Lesson #45 (Koch)"));
    EXPECT_EQ(LessonModeTitle(4, 3, false, Language::Magyar), QStringLiteral("Lecke #45 (helyi)"));
    EXPECT_EQ(LessonModeTitle(0, 1, false, Language::Espanol), QStringLiteral("Lección #1 (local)"));
    EXPECT_EQ(ForDisplay(QStringLiteral("a\r\nb\n\rc\rd")), QStringLiteral("a\nb\nc\nd"));
}

} // namespace

namespace {

// A main window carrying the controls the switch writes, by their names.
class LanguageSwitchTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        languageSources().timing = [this] { return &timing; };
        QMenu *languageMenu = window.menuBar()->addMenu(QStringLiteral("Language"));
        languageMenu->setObjectName(QStringLiteral("Language1"));
        for (const char *name : {"English1", "Magyar1", "Deutsch1", "Francais1", "Italiano1", "Portugues1", "Espagnol1"}) {
            QAction *action = languageMenu->addAction(QString::fromLatin1(name));
            action->setObjectName(QString::fromLatin1(name));
        }
        auto *central = new QWidget(&window);
        window.setCentralWidget(central);
        replay = make<QPushButton>(central, "ButtonReplayText");
        replay->setText(QStringLiteral("Replay"));
        realSpeed = make<QLabel>(central, "LabelVitesseCorrigee");
        speed = make<QSpinBox>(central, "UpDownVitesse");
        speed->setRange(5, 70);
        speed->setValue(12);
        spacing = make<QSpinBox>(central, "SpinEditEspace");
        spacing->setRange(1, 30);
        spacing->setValue(1);
        localFull = make<QLabel>(central, "LabelLocalPlein");
        quit = make<QPushButton>(central, "ButtonQuitter");

        InstallLanguages(&window);
        window.show();
    }

    template <typename W> W *make(QWidget *parent, const char *name)
    {
        auto *widget = new W(parent);
        widget->setObjectName(QString::fromLatin1(name));
        return widget;
    }

    static QAction *addItem(QMenu *menu, const char *name, const char *caption)
    {
        QAction *action = menu->addAction(QString::fromLatin1(caption));
        action->setObjectName(QString::fromLatin1(name));
        action->setCheckable(true);
        return action;
    }

    QAction *item(const char *name) { return window.findChild<QAction *>(QString::fromLatin1(name)); }

    std::vector<QString> checkedItems()
    {
        std::vector<QString> names;
        for (const char *name : {"English1", "Magyar1", "Deutsch1", "Francais1", "Italiano1", "Portugues1", "Espagnol1"})
            if (item(name)->isChecked())
                names.push_back(QString::fromLatin1(name));
        return names;
    }

    void TearDown() override { languageSources().timing = nullptr; }

    Timing timing;
    QMainWindow window;
    QPushButton *replay = nullptr, *quit = nullptr;
    QLabel *realSpeed = nullptr, *localFull = nullptr;
    QSpinBox *speed = nullptr, *spacing = nullptr;
};

TEST_F(LanguageSwitchTest, SpanishFromTheMenu)
{
    item("Espagnol1")->trigger();

    EXPECT_EQ(window.windowTitle(), QStringLiteral("KESTRELON 5.2.9 - EL PROFESOR Y ENTRENADOR DE CÓDIGO MORSE"));
    EXPECT_EQ(realSpeed->text(), QStringLiteral("Velocidad effectiva (ppm) = 12.0"));
    EXPECT_EQ(quit->text(), QStringLiteral("&Salir"));
    EXPECT_EQ(checkedItems(), std::vector<QString>{QStringLiteral("Espagnol1")});
    EXPECT_EQ(CurrentLanguage(), Language::Espanol);
    EXPECT_EQ(MsgConfirmQuit(), QStringLiteral("Sale del programa! Esta usted seguro?"));
    EXPECT_TRUE(CurrentHelpFile().endsWith(QStringLiteral("/kestrelon_es.chm")));
    EXPECT_EQ(item("Espagnol1")->text(), QStringLiteral("E&spañol"));
    EXPECT_EQ(item("Magyar1")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F6));
}

// Each item gives the window a title of its own, with the program's name and version.
TEST_F(LanguageSwitchTest, EachLanguageItemPutsItsOwnTitleOnTheWindow)
{
    std::set<QString> titles;
    for (const char *name : {"Magyar1", "Deutsch1", "Francais1", "Italiano1", "Portugues1", "Espagnol1", "English1"}) {
        item(name)->trigger();
        EXPECT_TRUE(window.windowTitle().startsWith(QStringLiteral("KESTRELON 5.2.9 - "))) << name;
        titles.insert(window.windowTitle());
    }
    EXPECT_EQ(titles.size(), std::size_t{LanguageCount});
}

TEST_F(LanguageSwitchTest, ChoosingTheCheckedLanguageAgainChangesNothing)
{
    item("Espagnol1")->trigger();
    replay->setText(QStringLiteral("changed by a mode"));
    window.setWindowTitle(QStringLiteral("other title"));

    item("Espagnol1")->trigger(); // the action unchecks itself before its handler runs

    EXPECT_EQ(replay->text(), QStringLiteral("changed by a mode"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("other title"));
    EXPECT_EQ(checkedItems(), std::vector<QString>{QStringLiteral("Espagnol1")});
    EXPECT_EQ(CurrentLanguage(), Language::Espanol);
}

TEST_F(LanguageSwitchTest, LettersFromSettingsAndCommandLine)
{
    EXPECT_TRUE(ClickLanguageLetter('m'));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("KESTRELON 5.2.9 - MORZE-KÓD TANITÓ ÉS EDZÖ"));
    EXPECT_EQ(checkedItems(), std::vector<QString>{QStringLiteral("Magyar1")});
    EXPECT_FALSE(ClickLanguageLetter('x'));
    EXPECT_EQ(CurrentLanguage(), Language::Magyar);
}

TEST_F(LanguageSwitchTest, StartupReclicksEnglishButKeepsAChosenLanguage)
{
    window.setWindowTitle(QStringLiteral("design"));
    ApplyStartupLanguage();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("KESTRELON 5.2.9 - THE  MORSE  CODE  TEACHER  &  TRAINER"));
    EXPECT_EQ(checkedItems(), std::vector<QString>{QStringLiteral("English1")});

    Deutsch1Click();
    window.setWindowTitle(QStringLiteral("design"));
    ApplyStartupLanguage();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("design"));
}

TEST_F(LanguageSwitchTest, TheLocalCharactersFullLabelFollowsTheLanguageWhenShown)
{
    localFull->setText(QStringLiteral("The local characters page is full !"));
    Espagnol1Click();
    EXPECT_EQ(localFull->text(), QStringLiteral("La página de caracteres locales está llena!"));
    localFull->clear();
    English1Click();
    EXPECT_TRUE(localFull->text().isEmpty());
}

TEST_F(LanguageSwitchTest, RealSpeedHintOnlyWhenTheSpeedDiffers)
{
    Francais1Click();
    EXPECT_EQ(realSpeed->text(), QStringLiteral("Vitesse réelle (mots/min) = 12.0"));
    EXPECT_TRUE(speed->toolTip().isEmpty());

    spacing->setValue(2); // 12 x 49 / 64 = 9.19
    timing.setCharacterSpacing(2);
    RefreshStateCaptions();
    EXPECT_EQ(realSpeed->text(), QStringLiteral("Vitesse réelle (mots/min) = 9.2"));
    EXPECT_EQ(speed->toolTip(), realSpeed->text());
}

// A side window with one caption of its own.
class SideWindow : public QWidget, public LanguageAware
{
public:
    SideWindow() : LanguageAware(this) { label = new QLabel(this); }
    void retranslate() override
    {
        ++translations;
        label->setText(Pick(kCaption));
    }
    void hideEvent(QHideEvent *) override { ++hides; }

    static constexpr Tr kCaption{"Fading", "Fading", "Fading", "Évanouissement", "Evanescenza", "Desvanecimento",
                                 "Desvanecimiento"};
    QLabel *label;
    int translations = 0;
    int hides = 0;
};

TEST_F(LanguageSwitchTest, VisibleSideWindowsFollowASwitchWithoutHiding)
{
    SideWindow shown;
    SideWindow hidden;
    Portugues1Click();
    EXPECT_EQ(shown.translations, 0);

    shown.show();
    EXPECT_EQ(shown.translations, 1);
    EXPECT_EQ(shown.label->text(), QStringLiteral("Desvanecimento"));

    Espagnol1Click();
    EXPECT_EQ(shown.label->text(), QStringLiteral("Desvanecimiento"));
    EXPECT_EQ(shown.translations, 2);
    EXPECT_EQ(shown.hides, 0);
    EXPECT_TRUE(shown.isVisible());
    EXPECT_EQ(hidden.translations, 0);

    hidden.show();
    EXPECT_EQ(hidden.label->text(), QStringLiteral("Desvanecimiento"));
}

// The two summary lines of the program's own windows, at the defaults and after the user's
// changes, in two languages.
TEST(ProgramSummaries, FollowSettingsInTwoLanguages)
{
    shelltest::ensureWindows();
    auto *words = shelltest::control<QLabel>("LabelWords");
    auto *wordsFile = shelltest::control<QLabel>("LabelwordsFile");
    ASSERT_NE(words, nullptr);
    ASSERT_NE(wordsFile, nullptr) << "no spacing summary under the file text";
    EXPECT_EQ(words->text(), QStringLiteral("Word length= 5 / No leading Vs / Mixed Characters / "
                                            "Spacing between characters=1 / Real speed (wpm) = 12.0"));
    EXPECT_EQ(wordsFile->text(), QStringLiteral("Spacing between characters=1 / Real speed (wpm) = 12.0"));

    shelltest::control<QAction>("MenuAddV")->trigger();
    shelltest::control<QAction>("MenuRandomWords")->trigger();
    shelltest::control<QSpinBox>("UpDownVitesse")->setValue(20);
    shelltest::control<QSpinBox>("SpinEditEspace")->setValue(2);
    EXPECT_EQ(words->text(), QStringLiteral("Word length= Random / Leading Vs / Mixed Characters / "
                                            "Spacing between characters=2 / Real speed (wpm) = 15.3"));
    EXPECT_EQ(wordsFile->text(), QStringLiteral("Spacing between characters=2 / Real speed (wpm) = 15.3"));

    LanguageMenuClick(Language::Deutsch);
    EXPECT_EQ(words->text(), QStringLiteral("Wortlänge= Zufällig / Mit V am Anfang / Gemischte Zeichen / "
                                            "Zeichenabstand=2 / Reale Geschwindigkeit (wpm) = 15.3"));
    EXPECT_EQ(wordsFile->text(), QStringLiteral("Zeichenabstand=2 / Reale Geschwindigkeit (wpm) = 15.3"));

    // Word-list mode leaves the random summary as it was, even across a switch.
    shelltest::control<QAction>("MenuListWords")->setChecked(true);
    LanguageMenuClick(Language::English);
    EXPECT_TRUE(words->text().startsWith(QStringLiteral("Wortlänge= Zufällig")));
    EXPECT_EQ(wordsFile->text(), QStringLiteral("Spacing between characters=2 / Real speed (wpm) = 15.3"));
}

} // namespace

namespace {

// The modes' own captions follow a switch in the program's windows.
class ProgramLanguageSwitch : public ::testing::Test
{
protected:
    void SetUp() override { shelltest::ensureWindows(); }

    template <typename T> static T *control(const char *name)
    {
        T *found = shelltest::control<T>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
};

TEST_F(ProgramLanguageSwitch, ReplayAndAudioCaptionsFollowTheLanguage)
{
    auto *replay = control<QAbstractButton>("ButtonReplayText");
    auto *audio = control<QGroupBox>("GroupBoxAudioMonitor");
    ASSERT_TRUE(replay && audio);
    Espagnol1Click();
    EXPECT_EQ(replay->text(), QStringLiteral("Reprod. &texto"));
    EXPECT_EQ(audio->title(), QStringLiteral("Decodificación de audio"));

    // Start-up clicks English again while it is the checked language.
    English1Click();
    replay->setText(QStringLiteral("design"));
    ApplyStartupLanguage();
    EXPECT_EQ(replay->text(), QStringLiteral("Replay &Text"));
}

TEST_F(ProgramLanguageSwitch, StateCaptionsFollowTheState)
{
    auto *memo = control<QWidget>("MemoRandom");
    auto *hide = control<QAbstractButton>("ButtonHide");
    auto *replay = control<QAbstractButton>("ButtonReplayText");
    auto *lessonSet = control<QLabel>("LabelCurrentLessonSet");
    auto *occurrence = control<QLabel>("LabelOccurence");
    auto *shortcutFull = control<QLabel>("LabelShortcutPlein");
    auto *koch = control<QCheckBox>("CheckBoxKOCH");
    auto *quizPseudorandom = control<QAction>("MenuQuizPseudorandom");
    ASSERT_TRUE(memo && hide && replay && lessonSet && occurrence && shortcutFull && koch && quizPseudorandom);
    // A memo whose text colour equals its background hides its text.
    QPalette palette = memo->palette();
    palette.setColor(QPalette::Text, palette.color(QPalette::Base));
    memo->setPalette(palette);
    TypingReplay = false;
    koch->setChecked(false);
    quizPseudorandom->setChecked(false);
    shortcutFull->clear();

    Espagnol1Click();
    EXPECT_EQ(hide->text(), QStringLiteral("Mostrar"));
    EXPECT_EQ(replay->text(), QStringLiteral("Contin. &texto"));
    EXPECT_EQ(lessonSet->text(), QStringLiteral("El conjunto actual de lecciones es: LOCAL"));
    EXPECT_TRUE(occurrence->text().isEmpty());
    EXPECT_TRUE(shortcutFull->text().isEmpty());

    // Settings read after the switch change the state; start-up refreshes the captions.
    koch->setChecked(true);
    quizPseudorandom->setChecked(true);
    TypingReplay = true;
    RefreshStateCaptions();
    EXPECT_EQ(lessonSet->text(), QStringLiteral("El conjunto actual de lecciones es: KOCH"));
    EXPECT_EQ(occurrence->text(), QStringLiteral("(Frecuencia igual)"));
    EXPECT_EQ(replay->text(), QStringLiteral("Reprod. &texto"));
}

TEST_F(ProgramLanguageSwitch, ExamIsOfferedInFrenchOnly)
{
    auto *exam = control<QAction>("menuExamen");
    auto *lettersFigures = control<QAction>("MenuLettersFigures");
    auto *examPanel = control<QWidget>("PanelExamen");
    ASSERT_TRUE(exam && lettersFigures && examPanel);
    Francais1Click();
    EXPECT_TRUE(exam->isEnabled());
    exam->setChecked(true);
    int lettersFiguresClicks = 0;
    QObject::connect(lettersFigures, &QAction::triggered, [&] {
        ++lettersFiguresClicks;
        exam->setChecked(false);
    });
    RefreshStateCaptions();
    Francais1Click(); // already checked: nothing
    EXPECT_EQ(lettersFiguresClicks, 0);

    Italiano1Click();
    EXPECT_EQ(lettersFiguresClicks, 1);
    EXPECT_FALSE(exam->isEnabled());
    EXPECT_TRUE(examPanel->isHidden());

    English1Click();
    EXPECT_EQ(lettersFiguresClicks, 1);

    Francais1Click();
    EXPECT_TRUE(exam->isEnabled());
    EXPECT_TRUE(examPanel->isHidden()); // the exam is no longer the chosen set
    EXPECT_EQ(examPanel->pos(), QPoint(8, 16));
}

TEST_F(ProgramLanguageSwitch, ModeTitleFollowsTheChosenSetOrLesson)
{
    BuildQuizReportWindow();
    auto *quizTitle = control<QLineEdit>("EditCaractersQuiz");
    auto *reportTitle = FormReport ? FormReport->findChild<QLabel *>(QStringLiteral("Label1")) : nullptr;
    auto *lessons = control<QComboBox>("BoxCaracteresChoix");
    auto *koch = control<QCheckBox>("CheckBoxKOCH");
    ASSERT_TRUE(quizTitle && reportTitle && lessons && koch);
    ASSERT_GE(lessons->count(), 5);
    std::vector<QAction *> sets;
    for (const char *name : {"MenuLetters", "MenuFigures", "MenuStops", "MenuLocal", "MenuLettersFigures", "MenuAll",
                             "MenuListWords", "MenuChoixCaracteres", "menuExamen"})
        sets.push_back(control<QAction>(name));
    const auto choose = [&sets](QAction *item) {
        for (QAction *set : sets)
            set->setChecked(set == item);
    };
    QAction *letters = control<QAction>("MenuLetters");
    QAction *choice = control<QAction>("MenuChoixCaracteres");
    QAction *local = control<QAction>("MenuLocal");

    // The item's own caption, in the language the switch gave it.
    choose(letters);
    Deutsch1Click();
    EXPECT_EQ(quizTitle->text(), QLatin1Char(' ') + CaptionOf(letters));
    EXPECT_EQ(reportTitle->text(), QLatin1Char(' ') + CaptionOf(letters));

    choose(choice);
    lessons->setCurrentIndex(-1);
    English1Click();
    EXPECT_EQ(quizTitle->text(), QLatin1Char(' ') + CaptionOf(choice)); // no lesson selected

    lessons->setCurrentIndex(4);
    languageSources().lessonPage = [] { return 3; };
    koch->setChecked(true);
    Italiano1Click();
    EXPECT_EQ(quizTitle->text(), QStringLiteral("Lezione #45 (Koch)"));
    koch->setChecked(false);
    Magyar1Click();
    EXPECT_EQ(quizTitle->text(), QStringLiteral("Lecke #45 (helyi)"));
    EXPECT_EQ(reportTitle->text(), QStringLiteral("Lecke #45 (helyi)"));

    // The local set gives no title: the last one stays.
    choose(local);
    English1Click();
    EXPECT_EQ(quizTitle->text(), QStringLiteral("Lecke #45 (helyi)"));
}

} // namespace
