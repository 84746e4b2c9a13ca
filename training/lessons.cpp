// The lessons in the character-choice box: the page of 20 lessons it lists, its page buttons,
// keys, wheel, double click and right click; the module's build, its settings keys and its
// start-up steps.

#include "training/lessonsinternal.h"

#include "engine/cp1252.h"
#include "shell/accessiblenames.h"
#include "shell/enginehost_mainwindow.h"
#include "shell/languages/languages.h"
#include "shell/languages/mainwindowtexts.h"
#include "shell/mainwindow.h"
#include "shell/modes.h"
#include "shell/settingskeys.h"
#include "shell/sidewindows.h"
#include "shell/systembeep.h"
#include "shell/utilities.h"
#include "training/filetext.h"
#include "training/randominternal.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>
#include <QWheelEvent>

namespace {

LessonsModule module;

QComboBox *box()
{
    return RandomModuleState().BoxCaracteresChoix;
}

void followBoxIndex(int index);
void showBoxLessonInList();

// The lesson numbers beside the list: each number faces its lesson's row, whatever the
// step's font and row height, rather than following its own line spacing.
class PageNumbersLabel : public QLabel {
public:
    PageNumbersLabel(QListView *&rows, QWidget *parent)
        : QLabel(parent), rows_(rows)
    {
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QListView *list = rows_;
        if (!list || !list->model() || list->model()->rowCount() == 0) {
            QLabel::paintEvent(event);
            return;
        }
        QPainter painter(this);
        painter.setPen(palette().color(foregroundRole()));
        painter.setFont(font());
        const QStringList numbers = text().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (int row = 0; row < numbers.size() && row < list->model()->rowCount(); ++row) {
            const QRect item = list->visualRect(list->model()->index(row, 0));
            if (!item.isValid())
                continue;
            const QPoint top = list->viewport()->mapTo(parentWidget(), item.topLeft()) - pos();
            painter.drawText(QRect(0, top.y(), width(), item.height()), Qt::AlignLeft | Qt::AlignVCenter,
                             numbers[row]);
        }
    }

private:
    QListView *&rows_;
};

// The numbers follow the rows: whenever the list paints, so do they.
class RowsPainted : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && module.Label3)
            module.Label3->update();
        return QObject::eventFilter(watched, event);
    }
};

// Keys, wheel and right click of the box and of its list.
class LessonBoxEvents : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched == module.BoxCaracteresChoixList)
            showBoxLessonInList();
        if (event->type() == QEvent::Wheel) {
            BoxCaracteresChoixWheel(static_cast<QWheelEvent *>(event)->angleDelta().y());
            return true;
        }
        if (event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() != Qt::Key_Up && key->key() != Qt::Key_Down)
            return false;
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        if (modifiers != Qt::NoModifier && modifiers != Qt::AltModifier)
            return false;
        return BoxCaracteresChoixKeyDown(key->key() == Qt::Key_Up, modifiers == Qt::AltModifier);
    }
};

// The list shows the item the box has selected, and a click selects it in the box.
void followBoxIndex(int index)
{
    QListView *list = module.BoxCaracteresChoixList;
    if (!list)
        return;
    const QModelIndex row = box()->model()->index(index, 0);
    if (list->currentIndex() != row)
        list->setCurrentIndex(row);
    if (index < 0)
        list->clearSelection();
}

// The choice's OK and Cancel put the box's index back without a word to the list: when the
// list comes on the screen it shows the box's lesson, if the box holds one.
void showBoxLessonInList()
{
    const int index = box()->currentIndex();
    const QString lesson = index >= 0 ? box()->itemText(index) : QString();
    const bool held = lesson == BoxText() && !lessons::IsEmptyLesson(cp1252::fromQString(lesson));
    followBoxIndex(held ? index : -1);
}

// The page buttons, the page label and the items of a page.
void showPageFrame(int page)
{
    const lessons::PageButtons buttons = lessons::PageButtonsOf(page);
    module.SpeedButtonChoixMoins->setEnabled(buttons.previous);
    module.SpeedButtonChoixPlus->setEnabled(buttons.next);
    module.Label3->setText(QString::fromLatin1(lessons::PageName(page)));
}

// A page move by the buttons; from the keyboard the caller selects the item itself.
void changePage(int step, bool fromKeyboard)
{
    const int page = module.LessonPage + step;
    if (page < 1 || page > lessons::PageCount) {
        ProgramBeep();
        return;
    }
    ShowLessonPage(page);
    if (!fromKeyboard)
        SelectBoxItem(0);
}

// The fix-up place of the settings file where the box lists its page.
constexpr int LessonListFixUp = 9;

} // namespace

// ---- Shared helpers ------------------------------------------------------------------------

LessonsModule &LessonsState()
{
    return module;
}

const lessons::LessonTable &LocalLessons()
{
    return module.LocalLessons;
}

const lessons::LessonTable &KochLessons()
{
    return module.KochLessons;
}

int LessonPage()
{
    return module.LessonPage;
}

bool KochActive()
{
    return module.CheckBoxKOCH && module.CheckBoxKOCH->isChecked();
}

const lessons::LessonTable &ActiveLessons()
{
    return KochActive() ? module.KochLessons : module.LocalLessons;
}

QString BoxText()
{
    return box()->lineEdit()->text();
}

void SetBoxText(const QString &text)
{
    box()->lineEdit()->setText(text);
}

int BoxIndex()
{
    return box()->currentIndex();
}

void SelectBoxItem(int item)
{
    // The box says nothing when its index stays, yet the list may still show another item.
    box()->setCurrentIndex(item);
    followBoxIndex(item);
}

int &RememberedBoxIndex()
{
    return RandomModuleState().LessonBoxIndex;
}

int &RememberedPage()
{
    return RandomModuleState().LessonPageShown;
}

void SetBoxItem(int item, const std::string &lesson)
{
    // Changing the selected item's text would put it into the box's text.
    const QString text = BoxText();
    box()->setItemText(item, cp1252::toQString(lesson));
    if (BoxText() != text)
        SetBoxText(text);
}

void ShowLessonPage(int page)
{
    module.LessonPage = lessons::ClampPage(page);
    const auto items = lessons::PageLessons(ActiveLessons(), module.LessonPage);
    for (int i = 0; i < lessons::LessonsPerPage; ++i)
        SetBoxItem(i, items[static_cast<std::size_t>(i)]);
    showPageFrame(module.LessonPage);
}

void ShowLessonSetCaption()
{
    if (module.LabelCurrentLessonSet)
        SetCaption(module.LabelCurrentLessonSet, Pick(LessonSetCaption(KochActive())));
}

// ---- The lesson list ------------------------------------------------------------------------

void SpeedButtonChoixMoinsClick(QObject *)
{
    changePage(-1, false);
}

void SpeedButtonChoixPlusClick(QObject *)
{
    changePage(+1, false);
}

void BoxCaracteresChoixClick(QObject *)
{
    RememberedBoxIndex() = BoxIndex();
    RememberedPage() = module.LessonPage;
}

void BoxCaracteresChoixDblClick(QObject *)
{
    ButtonChoixCaractereOKClick(RandomModuleState().ButtonChoixCaractereOK);
}

void BoxCaracteresChoixContextPopup(QObject *)
{
    if (BoxIndex() >= 0) {
        const int item = RememberedBoxIndex() >= 0 ? RememberedBoxIndex() : BoxIndex();
        module.EditNumeroLesson->setText(QString::number(lessons::LessonAt(RememberedPage(), item)));
    }
    MenuLocallessonClick(module.MenuLocallesson);
}

bool BoxCaracteresChoixKeyDown(bool up, bool alt)
{
    const lessons::BoxMove move
        = lessons::KeyMove(module.LessonPage, BoxIndex(), up ? lessons::BoxStep::Up : lessons::BoxStep::Down, alt);
    if (!move.handled)
        return false;
    if (move.beep) {
        ProgramBeep();
        return true;
    }
    changePage(move.page - module.LessonPage, true);
    SelectBoxItem(move.item);
    return true;
}

void BoxCaracteresChoixWheel(int delta)
{
    if (delta == 0 || RandomModuleState().PanelChoixRandom->isHidden())
        return;
    const lessons::BoxMove move
        = lessons::WheelMove(module.LessonPage, BoxIndex(), delta > 0 ? lessons::BoxStep::Up : lessons::BoxStep::Down);
    if (move.page != module.LessonPage)
        changePage(move.page - module.LessonPage, true);
    if (move.item != BoxIndex())
        SelectBoxItem(move.item);
}

void ButtonChangeLessonClick(QObject *)
{
    RandomModule &r = RandomModuleState();
    const bool words = r.MenuListWords->isChecked() || NamedChecked(*module.form, "menuExamen");
    r.WordListMode = words && !module.form->Engine.QuizSeriesPlaying;
    MenuChoixCaracteresClick(r.MenuChoixCaracteres);
}

// ---- Building --------------------------------------------------------------------------------

void BuildLessonList(LessonsModule &m)
{
    RandomModule &r = RandomModuleState();
    QWidget *panel = r.PanelChoixRandom;
    // The panel shows the list of the box below it, with the page buttons beside it.
    panel->setGeometry(90, 8, 480, 460);
    r.ButtonChoixCaractereOK->setGeometry(392, 380, 80, 30);
    r.ButtonCancelChoix->setGeometry(392, 416, 80, 30);
    while (box()->count() < lessons::LessonsPerPage)
        box()->addItem(QStringLiteral(" "));

    m.Label3 = new PageNumbersLabel(m.BoxCaracteresChoixList, panel);
    m.Label3->setObjectName(QStringLiteral("Label3"));
    m.Label3->setWordWrap(true);
    m.Label3->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m.Label3->setGeometry(12, 84, 38, 362);

    m.BoxCaracteresChoixList = new QListView(panel);
    m.BoxCaracteresChoixList->setObjectName(QStringLiteral("BoxCaracteresChoixList"));
    m.BoxCaracteresChoixList->setModel(box()->model());
    m.BoxCaracteresChoixList->setUniformItemSizes(true);
    m.BoxCaracteresChoixList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m.BoxCaracteresChoixList->setContextMenuPolicy(Qt::CustomContextMenu);
    m.BoxCaracteresChoixList->setGeometry(52, 82, 332, 364);
    m.BoxCaracteresChoixList->viewport()->installEventFilter(new RowsPainted(m.Label3));
    // The rows of the lesson box, shown whole: named by the box's hint, which says what they do.
    NameAfterHint(m.BoxCaracteresChoixList, box());

    auto *events = new LessonBoxEvents(panel);
    for (QObject *watched : {static_cast<QObject *>(box()), static_cast<QObject *>(box()->lineEdit()),
                             static_cast<QObject *>(m.BoxCaracteresChoixList),
                             static_cast<QObject *>(m.BoxCaracteresChoixList->viewport())})
        watched->installEventFilter(events);
    box()->lineEdit()->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(box()->lineEdit(), &QWidget::customContextMenuRequested, panel,
                     [] { BoxCaracteresChoixContextPopup(box()); });
    QObject::connect(m.BoxCaracteresChoixList, &QWidget::customContextMenuRequested, panel,
                     [] { BoxCaracteresChoixContextPopup(box()); });
    QObject::connect(box(), &QComboBox::currentIndexChanged, panel, followBoxIndex);
    QObject::connect(box(), &QComboBox::activated, panel, [] { BoxCaracteresChoixClick(box()); });
    QObject::connect(m.BoxCaracteresChoixList, &QListView::clicked, panel, [](const QModelIndex &index) {
        SelectBoxItem(index.row());
        BoxCaracteresChoixClick(box());
    });
    QObject::connect(m.BoxCaracteresChoixList, &QListView::doubleClicked, panel, [](const QModelIndex &index) {
        SelectBoxItem(index.row());
        BoxCaracteresChoixDblClick(box());
    });

    auto pageButton = [panel](const char *name, Qt::ArrowType arrow, int top, void (*handler)(QObject *)) {
        auto *button = new QToolButton(panel);
        button->setObjectName(QString::fromLatin1(name));
        button->setArrowType(arrow);
        button->setGeometry(392, top, 80, 30);
        QObject::connect(button, &QToolButton::clicked, button, [button, handler] { handler(button); });
        return button;
    };
    m.SpeedButtonChoixMoins = pageButton("SpeedButtonChoixMoins", Qt::UpArrow, 82, SpeedButtonChoixMoinsClick);
    m.SpeedButtonChoixPlus = pageButton("SpeedButtonChoixPlus", Qt::DownArrow, 118, SpeedButtonChoixPlusClick);

    m.ButtonSetLesson = new QPushButton(QStringLiteral("Lessons..."), panel);
    m.ButtonSetLesson->setObjectName(QStringLiteral("ButtonSetLesson"));
    m.ButtonSetLesson->setGeometry(392, 170, 80, 30);
    QObject::connect(m.ButtonSetLesson, &QPushButton::clicked, m.ButtonSetLesson,
                     [&m] { MenuLocallessonClick(m.ButtonSetLesson); });

    // The lesson label of the random panel opens the choice too.
    QWidget *group = r.GroupBoxRandom;
    r.LabelWords->setGeometry(8, 244, 496, 48); // Change and the entry sheet's button beside it
    m.ButtonChangeLesson = new QPushButton(QStringLiteral("Change"), group);
    m.ButtonChangeLesson->setObjectName(QStringLiteral("ButtonChangeLesson"));
    m.ButtonChangeLesson->setGeometry(510, 244, 84, 26);
    QObject::connect(m.ButtonChangeLesson, &QPushButton::clicked, m.ButtonChangeLesson,
                     [&m] { ButtonChangeLessonClick(m.ButtonChangeLesson); });
    class LabelClick : public QObject {
    public:
        using QObject::QObject;

    protected:
        bool eventFilter(QObject *watched, QEvent *event) override
        {
            if (event->type() == QEvent::MouseButtonRelease)
                ButtonChangeLessonClick(watched);
            return QObject::eventFilter(watched, event);
        }
    };
    r.PanelRandomLesson->installEventFilter(new LabelClick(r.PanelRandomLesson));

    m.LessonPage = 1;
    showPageFrame(1);
}

void BindLessonSettings(LessonsModule &m)
{
    using Values = std::vector<std::string>;
    SettingsRegistry &settings = Settings();
    settings.bind({
        {"PAGE=",
         [&m](const std::string &value) {
             const auto page = settings::ParseInt(value);
             m.LessonPage = lessons::ClampPage(page.value_or(1));
             RememberedPage() = m.LessonPage;
         },
         [&m](Values &out) { out.push_back(std::to_string(m.LessonPage)); }},
        {"KOCHLIST=",
         [&m](const std::string &value) { m.editkochlist->setText(cp1252::toQString(settings::ClipKochList(value))); },
         [&m](Values &out) { out.push_back(cp1252::fromQString(m.editkochlist->text())); }},
        {"KOCHCHOICE=",
         [&m](const std::string &value) {
             if (value != "Y")
                 return;
             m.CheckBoxKOCH->setChecked(true);
             m.CheckBoxLOCAL->setChecked(false);
             ShowLessonSetCaption();
         },
         [&m](Values &out) {
             if (m.CheckBoxKOCH->isChecked())
                 out.push_back("Y");
         }},
        {"LESSON=",
         [&m](const std::string &value) {
             // A lesson as the editor would keep it: no blanks, at most 55 characters.
             if (const auto lesson = settings::ParseLesson(value)) {
                 const std::string text = lessons::CleanLessonText(lesson->text);
                 m.LocalLessons[static_cast<std::size_t>(lesson->slot - 1)]
                     = text.empty() ? std::string(lessons::EmptyLesson) : text;
             }
         },
         [&m](Values &out) {
             for (int n = 1; n <= lessons::LessonCount; ++n) {
                 const std::string &lesson = m.LocalLessons[static_cast<std::size_t>(n - 1)];
                 if (!lesson.empty() && lesson.front() != ' ')
                     out.push_back(settings::FormatLesson({n, lesson}));
             }
         }},
    });
    // The box lists the page read, with the chosen lesson selected when it is one of them.
    settings.addFixUp(LessonListFixUp, "lessons: page", [&m] {
        ShowLessonPage(m.LessonPage);
        const std::string chosen = cp1252::fromQString(BoxText());
        if (chosen.empty() || chosen == " ")
            return;
        const auto items = lessons::PageLessons(ActiveLessons(), m.LessonPage);
        for (int i = 0; i < lessons::LessonsPerPage; ++i) {
            if (items[static_cast<std::size_t>(i)] == chosen) {
                SelectBoxItem(i);
                break;
            }
        }
    });
}

void BuildLessonsModule(TForm1 &form)
{
    module = LessonsModule{};
    module.form = &form;
    BuildLessonList(module);
    BuildLessonPanel(module);
    BuildImportPanel(module);
    BindLessonSettings(module);
    RegisterMainWindowTexts(LessonTextRows());

    // In the tools menu, before its last item, Quit.
    QMenu *tools = form.MenuOutils;
    module.MenuLocallesson = new QAction(QStringLiteral("&Lesson settings"), tools);
    tools->insertAction(form.MenuOutilsQuit, module.MenuLocallesson);
    module.MenuLocallesson->setObjectName(QStringLiteral("MenuLocallesson"));
    QObject::connect(module.MenuLocallesson, &QAction::triggered, module.MenuLocallesson,
                     [] { MenuLocallessonClick(module.MenuLocallesson); });
    module.MenuImportlessons = new QAction(QStringLiteral("Import lessons"), tools);
    tools->insertAction(form.MenuOutilsQuit, module.MenuImportlessons);
    module.MenuImportlessons->setObjectName(QStringLiteral("MenuImportlessons"));
    QObject::connect(module.MenuImportlessons, &QAction::triggered, module.MenuImportlessons,
                     [] { MenuImportlessonsClick(module.MenuImportlessons); });

    auto warningText = [] {
        if (module.LabelWarningFile)
            SetCaption(module.LabelWarningFile, Pick(WarningFileRow()));
    };
    warningText();
    OnLanguageSwitch(module.PanelImportLessons, warningText);
    ShowLessonSetCaption();
    // The set the box shows, in the language.
    OnLanguageSwitch(module.LabelCurrentLessonSet, [] {
        SetCaption(module.LabelCurrentLessonSet, Pick(LessonSetCaption(module.CheckBoxKOCH->isChecked())));
    });

    languageSources().lessonPage = [] { return module.form ? module.LessonPage : 1; };
    RestoreLessonPage() = [](int page) {
        if (module.form)
            ShowLessonPage(page);
    };

    // Creation: the default lessons and the Koch lessons of the design order, then the
    // choice's text.
    AddModuleStep(ModuleStep::DefaultLessons, "lessons: defaults", [] {
        if (!module.form)
            return;
        module.LocalLessons = lessons::DefaultLocalLessons();
        editkochlistChange(module.editkochlist);
    });
    AddModuleStep(ModuleStep::LessonChoiceTexts, "lessons: choice text", [] {
        if (!module.form)
            return;
        RandomModuleState().LessonText.assign(1, ' ');
        // A blank of its own, no lesson's: nothing is selected, so the wheel starts at #01.
        box()->setCurrentIndex(-1);
        SetBoxText(QStringLiteral(" "));
    });
}
