#include "shell/zoom.h"

#include "shell/aboutbox.h"
#include "shell/buttonglyphs.h"
#include "shell/effectwindows.h"
#include "shell/mainwindow.h"
#include "shell/modes.h"
#include "shell/settingsformat.h"
#include "shell/settingsgeometry.h"
#include "shell/settingskeys.h"
#include "shell/sidewindows.h"
#include "shell/startup.h"
#include "shell/utilities.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLayout>
#include <QListView>
#include <QMenu>
#include <QPointer>
#include <QScreen>
#include <QWidget>

#include <unordered_map>

int ZoomPercent = 100;

namespace {

constexpr int Steps[] = {100, 125, 150, 175, 200};
const char *const OwnLayoutProperty = "kestrelonKeepsOwnLayout";
const char *const ExemptProperty = "kestrelonZoomExempt";
const char *const WatchedProperty = "kestrelonZoomWatched";

// ---- Numbers ------------------------------------------------------------------------------

// Truncated like the rest of the program's window arithmetic; 64 bits, so a largest size
// (QWIDGETSIZE_MAX) cannot overflow. A size limit of 0 or "no limit" stays as it is.
int scale(int value, int to, int from = 100)
{
    return int(qint64(value) * to / from);
}

QSize scaleLimit(QSize size, int to, int from = 100)
{
    auto one = [&](int v) { return v == 0 || v >= QWIDGETSIZE_MAX ? v : scale(v, to, from); };
    return {one(size.width()), one(size.height())};
}

QRect scaleRect(const QRect &r, int to, int from = 100)
{
    return {scale(r.x(), to, from), scale(r.y(), to, from), scale(r.width(), to, from), scale(r.height(), to, from)};
}

// A font's size as it was set: points, or pixels for a font given in pixels.
struct FontSize {
    qreal points = -1;
    int pixels = -1;
    bool operator==(const FontSize &) const = default;
};

FontSize sizeOf(const QFont &font)
{
    if (font.pixelSize() > 0)
        return {-1, font.pixelSize()};
    return {font.pointSizeF(), -1};
}

FontSize scaleFont(FontSize size, int to, int from = 100)
{
    if (size.pixels > 0)
        return {-1, std::max(1, scale(size.pixels, to, from))};
    return {std::max<qreal>(1, size.points * to / from), -1};
}

QFont withSize(QFont font, FontSize size)
{
    if (size.pixels > 0)
        font.setPixelSize(size.pixels);
    else if (size.points > 0)
        font.setPointSizeF(size.points);
    return font;
}

// ---- Which controls are scaled --------------------------------------------------------------

// Qt's compound controls place their own parts; only plain containers (panels, group boxes,
// frames, windows) leave their children's places to the program.
bool placesChildren(const QWidget *w)
{
    static const char *const compound[] = {
        "QAbstractScrollArea", "QAbstractSpinBox", "QComboBox", "QTabWidget", "QTabBar", "QSplitter",
        "QToolBox", "QStackedWidget", "QMenu", "QMenuBar", "QToolBar", "QStatusBar", "QDockWidget",
        "QLineEdit", "QAbstractButton", "QAbstractSlider", "QMainWindow", "QCalendarWidget",
        "QDialogButtonBox", "QProgressBar",
    };
    for (const char *name : compound)
        if (w->inherits(name))
            return false;
    return true;
}

bool qtPart(const QWidget *w)
{
    return w->objectName().startsWith(QLatin1String("qt_"));
}

bool layoutHolds(const QLayout *layout, const QWidget *w)
{
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem *item = layout->itemAt(i);
        if (item->widget() == w || (item->layout() && layoutHolds(item->layout(), w)))
            return true;
    }
    return false;
}

// The control's place is the program's: its parent is a plain container that leaves the
// place to the code and no layout holds it.
bool placedByCode(const QWidget *w)
{
    const QWidget *parent = w->parentWidget();
    return parent && placesChildren(parent) && !parent->property(OwnLayoutProperty).toBool()
           && !(parent->layout() && layoutHolds(parent->layout(), w));
}

bool exempt(const QWidget *window)
{
    return window->property(ExemptProperty).toBool();
}

// The top of the scaled tree of a window: the main window's frame, or the side window itself.
QWidget *treeOf(QWidget *window)
{
    if (window == Form1)
        return Form1->centralWidget();
    if (qobject_cast<TSideForm *>(window) && !exempt(window))
        return window;
    return nullptr;
}

// The tree a control belongs to, or null when no enlargement applies to it (another window,
// or a part of one of Qt's compound controls).
QWidget *treeOfControl(QWidget *w)
{
    if (w->isWindow())
        return nullptr;
    QWidget *root = treeOf(w->window());
    if (!root || (w != root && !root->isAncestorOf(w)))
        return nullptr;
    for (QWidget *p = w; p != root; p = p->parentWidget()) {
        if (qtPart(p) || (p != w && !placesChildren(p)))
            return nullptr;
    }
    return root;
}

// ---- Records ---------------------------------------------------------------------------------

struct Control {
    bool placed = false;
    bool sizedToContents = false;
    QRect design, applied;
    QSize designMin, designMax, appliedMin, appliedMax;
    bool font = false;
    FontSize designFont, appliedFont;
    bool icon = false;
    QSize designIcon, appliedIcon;
};

struct Layout {
    QMargins design, applied;
    int designH = -1, designV = -1, appliedH = -1, appliedV = -1;
};

struct Window {
    QSize design, applied;
    QSize designMin, designMax, appliedMin, appliedMax;
    int percent = 100; // the step it is shown at: the chosen one, or the largest its screen holds
};

// Keyed by the object, which a record never outlives.
std::unordered_map<const QObject *, Control> controls;
std::unordered_map<const QObject *, Layout> layouts;
std::unordered_map<const QObject *, Window> windows; // side windows shown enlarged
// The design item grid of a list given a step's item height, until it is back at 100 %.
std::unordered_map<const QObject *, QSize> designGrids;
// While the shell changes geometry or fonts itself, their events are its own.
int applying = 0;
struct Applying {
    Applying() { ++applying; }
    ~Applying() { --applying; }
};

void forgetWhenDestroyed(QObject *object)
{
    // Once per object, however often its records come and go.
    if (object->property(WatchedProperty).toBool())
        return;
    object->setProperty(WatchedProperty, true);
    QObject::connect(object, &QObject::destroyed, [object] {
        controls.erase(object);
        layouts.erase(object);
        windows.erase(object);
        designGrids.erase(object);
    });
}

// ---- Scaling one control from its design to a step -------------------------------------------

int horizontalSpacing(const QLayout *layout)
{
    if (auto *grid = qobject_cast<const QGridLayout *>(layout))
        return grid->horizontalSpacing();
    return layout->spacing();
}

int verticalSpacing(const QLayout *layout)
{
    if (auto *grid = qobject_cast<const QGridLayout *>(layout))
        return grid->verticalSpacing();
    return -1;
}

void setSpacing(QLayout *layout, int h, int v)
{
    if (auto *grid = qobject_cast<QGridLayout *>(layout)) {
        if (h >= 0)
            grid->setHorizontalSpacing(h);
        if (v >= 0)
            grid->setVerticalSpacing(v);
    } else if (h >= 0) {
        layout->setSpacing(h);
    }
}

void scaleLayout(QLayout *layout, int from, int to)
{
    auto [it, fresh] = layouts.try_emplace(layout);
    Layout &rec = it->second;
    const QMargins margins = layout->contentsMargins();
    const int h = horizontalSpacing(layout);
    const int v = verticalSpacing(layout);
    // A new layout is at its design; what code set meanwhile is taken as it stands, at the
    // step it was set.
    const int at = fresh ? 100 : from;
    if (fresh || margins != rec.applied)
        rec.design = QMargins(scale(margins.left(), 100, at), scale(margins.top(), 100, at),
                              scale(margins.right(), 100, at), scale(margins.bottom(), 100, at));
    if (fresh || h != rec.appliedH)
        rec.designH = h < 0 ? h : scale(h, 100, at);
    if (fresh || v != rec.appliedV)
        rec.designV = v < 0 ? v : scale(v, 100, at);
    if (fresh)
        forgetWhenDestroyed(layout);
    rec.applied = QMargins(scale(rec.design.left(), to), scale(rec.design.top(), to), scale(rec.design.right(), to),
                           scale(rec.design.bottom(), to));
    rec.appliedH = rec.designH < 0 ? rec.designH : scale(rec.designH, to);
    rec.appliedV = rec.designV < 0 ? rec.designV : scale(rec.designV, to);
    layout->setContentsMargins(rec.applied);
    setSpacing(layout, rec.appliedH, rec.appliedV);
    for (int i = 0; i < layout->count(); ++i)
        if (QLayout *inner = layout->itemAt(i)->layout())
            scaleLayout(inner, from, to);
}

// Brings a control from step `from` to step `to`. A control without a record is at its design.
// Places and sizes that code gave it since the last scaling are design; fonts and icon sizes
// it was given are taken as they stand. The parent has been brought to `to` already.
void scaleControl(QWidget *w, bool root, int from, int to)
{
    const Applying guard;
    auto [it, fresh] = controls.try_emplace(w);
    Control &rec = it->second;
    if (fresh)
        forgetWhenDestroyed(w);

    // Font first: a control sized to its contents takes its size from it. A control whose
    // font size is its parent's follows the parent; the others (and the tree's top) carry
    // their own, scaled here.
    const QFont current = w->font();
    const FontSize now = sizeOf(current);
    const FontSize parents = root ? now : sizeOf(w->parentWidget()->font());
    // Qt does not pass a parent's new font on to a child with a style sheet of its own: such a
    // child (whose sheet gives no font) is given its parent's size here, unless its design
    // gave it a font of its own (a game's large counter under a coloured group title).
    const bool sheet = !root && w->testAttribute(Qt::WA_StyleSheet)
                       && !w->styleSheet().contains(QLatin1String("font"));
    const bool setFont = w->testAttribute(Qt::WA_SetFont);
    // Such a child still has the old step's size: it is compared with its parent's at that step.
    const bool ownSize = root || rec.font
                         || (sheet ? fresh && setFont && now != scaleFont(parents, from, to)
                                   : now != parents && (!fresh || setFont));
    if (!ownSize && sheet && now != parents)
        w->setFont(withSize(current, parents));
    if (ownSize) {
        if (fresh)
            rec.designFont = now;
        else if (!rec.font || now != rec.appliedFont)
            rec.designFont = scaleFont(now, 100, from);
        rec.font = true;
        rec.appliedFont = scaleFont(rec.designFont, to);
        if (rec.appliedFont != now)
            w->setFont(withSize(current, rec.appliedFont));
    }

    if (auto *button = qobject_cast<QAbstractButton *>(w)) {
        const QSize now = button->iconSize();
        if (fresh)
            rec.designIcon = now;
        else if (!rec.icon || now != rec.appliedIcon)
            rec.designIcon = scaleLimit(now, 100, from);
        rec.icon = true;
        rec.appliedIcon = scaleLimit(rec.designIcon, to);
        button->setIconSize(rec.appliedIcon);
    }

    if (!root) {
        const QSize min = w->minimumSize();
        const QSize max = w->maximumSize();
        if (fresh || min != rec.appliedMin)
            rec.designMin = min;
        if (fresh || max != rec.appliedMax)
            rec.designMax = max;
        rec.appliedMin = scaleLimit(rec.designMin, to);
        rec.appliedMax = scaleLimit(rec.designMax, to);
        if (min != rec.appliedMin || max != rec.appliedMax) {
            w->setMinimumSize(0, 0);
            w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
            w->setMinimumSize(rec.appliedMin);
            w->setMaximumSize(rec.appliedMax);
        }
    }

    rec.placed = !root && placedByCode(w);
    if (rec.placed) {
        const QRect now = w->geometry();
        if (fresh) {
            rec.design = now;
            rec.sizedToContents = now.size() == w->sizeHint();
        } else {
            if (now.topLeft() != rec.applied.topLeft())
                rec.design.moveTopLeft(now.topLeft());
            if (now.size() != rec.applied.size()) {
                rec.sizedToContents = now.size() == w->sizeHint();
                if (!rec.sizedToContents)
                    rec.design.setSize(now.size());
            }
        }
        QRect target = scaleRect(rec.design, to);
        if (rec.sizedToContents)
            target.setSize(w->sizeHint());
        rec.applied = target;
        if (now != target)
            w->setGeometry(target);
    }

    if (QLayout *layout = w->layout())
        scaleLayout(layout, from, to);
}

void forgetTree(QWidget *root)
{
    controls.erase(root);
    if (root->layout())
        layouts.erase(root->layout());
    for (QWidget *child : root->findChildren<QWidget *>()) {
        controls.erase(child);
        if (child->layout())
            layouts.erase(child->layout());
    }
    for (QLayout *layout : root->findChildren<QLayout *>())
        layouts.erase(layout);
}

void scaleChildren(QWidget *parent, int from, int to)
{
    for (QObject *object : parent->children()) {
        auto *child = qobject_cast<QWidget *>(object);
        if (!child || child->isWindow() || qtPart(child))
            continue;
        scaleControl(child, false, from, to);
        if (placesChildren(child))
            scaleChildren(child, from, to);
    }
}

// A whole tree from one step to another; at 100 % its records are dropped, so a tree at its
// design carries none.
void scaleTree(QWidget *root, int from, int to)
{
    const Applying guard;
    scaleControl(root, true, from, to);
    scaleChildren(root, from, to);
    if (to == 100)
        forgetTree(root);
}

// ---- Top-level windows ----------------------------------------------------------------------

void setLimitsAndSize(QWidget *window, QSize min, QSize max, QSize size)
{
    const Applying guard;
    window->setMinimumSize(0, 0);
    window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    window->setMinimumSize(min);
    window->setMaximumSize(max);
    window->resize(size);
}

void applyWindow(QWidget *window, Window &rec)
{
    rec.appliedMin = scaleLimit(rec.designMin, rec.percent);
    rec.appliedMax = scaleLimit(rec.designMax, rec.percent);
    rec.applied = scaleLimit(rec.design, rec.percent);
    setLimitsAndSize(window, rec.appliedMin, rec.appliedMax, rec.applied);
}

// ---- Room on the screen ----------------------------------------------------------------------

// The available area of the screen a window stands on (or opens on), and the frame it adds
// around its contents as far as it is known: a window never shown has none yet, so the main
// window's serves as the likely one.
struct ScreenRoom {
    QRect area;
    QSize frame;
};

ScreenRoom roomOf(const QWidget *window)
{
    QScreen *screen = QGuiApplication::screenAt(window->geometry().center());
    if (!screen)
        screen = window->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    QSize frame = (window->frameGeometry().size() - window->size()).expandedTo(QSize(0, 0));
    if (Form1 && window != Form1)
        frame = frame.expandedTo(Form1->frameGeometry().size() - Form1->size());
    return {screen ? screen->availableGeometry() : QRect(), frame};
}

// The largest step up to `wanted` at which a window of `design` size lies whole on its
// screen; 100 when none does (the design is the least it has).
int fittingStep(const QWidget *window, QSize design, int wanted)
{
    const ScreenRoom room = roomOf(window);
    if (!room.area.isValid())
        return wanted;
    for (auto step = std::rbegin(Steps); step != std::rend(Steps); ++step) {
        const QSize needed = scaleLimit(design, *step) + room.frame;
        if (*step <= wanted && needed.width() <= room.area.width() && needed.height() <= room.area.height())
            return *step;
    }
    return 100;
}

// A window whose frame runs off the available area is moved back onto it, as far as it fits.
void keepOnScreen(QWidget *window)
{
    const ScreenRoom room = roomOf(window);
    if (!room.area.isValid() || room.area.contains(QRect(window->pos(), window->size() + room.frame)))
        return;
    const QRect held = HeldToArea(window->pos(), window->size(), window->minimumSize(), room.frame, room.area);
    window->move(held.topLeft());
}

// A side window being shown at an enlargement: from its design to the step, or to the
// largest step its screen holds whole.
void sideWindowShown(QWidget *window)
{
    if (ZoomPercent == 100 || windows.count(window))
        return;
    const int percent = fittingStep(window, window->size(), ZoomPercent);
    if (percent == 100) {
        keepOnScreen(window);
        return;
    }
    Window &rec = windows[window];
    forgetWhenDestroyed(window);
    rec.design = window->size();
    rec.designMin = window->minimumSize();
    rec.designMax = window->maximumSize();
    rec.percent = percent;
    applyWindow(window, rec);
    scaleTree(window, 100, percent);
    keepOnScreen(window);
}

// The window's design size: as the shell left it, or, resized by the user since, that size
// brought back from the step.
QSize designSizeOf(const QWidget *window, const Window &rec, int from)
{
    return window->size() == rec.applied ? rec.design : scaleLimit(window->size(), 100, from);
}

// A side window hidden: back to its design, the records dropped.
void sideWindowHidden(QWidget *window)
{
    const auto it = windows.find(window);
    if (it == windows.end())
        return;
    const Window rec = it->second;
    windows.erase(it);
    setLimitsAndSize(window, rec.designMin, rec.designMax, designSizeOf(window, rec, rec.percent));
    scaleTree(window, rec.percent, 100);
}

// A side window kept open through a change of step.
void rescaleOpenSideWindow(QWidget *window)
{
    Window rec;
    if (auto it = windows.find(window); it != windows.end()) {
        rec = it->second;
        rec.design = designSizeOf(window, rec, rec.percent);
    } else {
        rec.design = window->size();
        rec.designMin = window->minimumSize();
        rec.designMax = window->maximumSize();
    }
    const int from = rec.percent;
    rec.percent = ZoomPercent == 100 ? 100 : fittingStep(window, rec.design, ZoomPercent);
    if (rec.percent == 100) {
        windows.erase(window);
        setLimitsAndSize(window, rec.designMin, rec.designMax, rec.design);
    } else {
        if (!windows.count(window))
            forgetWhenDestroyed(window);
        windows[window] = rec;
        applyWindow(window, windows[window]);
    }
    scaleTree(window, from, rec.percent);
    keepOnScreen(window);
}

// Code resized a side window shown enlarged: the size (and limits) it gave are design.
void sideWindowResizedByCode(QWidget *window)
{
    auto it = windows.find(window);
    if (it == windows.end())
        return;
    Window &rec = it->second;
    if (window->minimumSize() != rec.appliedMin)
        rec.designMin = window->minimumSize();
    if (window->maximumSize() != rec.appliedMax)
        rec.designMax = window->maximumSize();
    if (window->size() == rec.applied && window->minimumSize() == rec.appliedMin
        && window->maximumSize() == rec.appliedMax)
        return;
    if (window->size() != rec.applied)
        rec.design = window->size();
    applyWindow(window, rec);
}

// ---- Watching the windows --------------------------------------------------------------------

class ZoomWatcher : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if (type != QEvent::Polish && type != QEvent::Move && type != QEvent::Resize && type != QEvent::Show
            && type != QEvent::Hide)
            return false;
        if (applying || !object->isWidgetType())
            return false;
        auto *w = static_cast<QWidget *>(object);
        if (w->isWindow()) {
            if (!qobject_cast<TSideForm *>(w) || exempt(w) || event->spontaneous())
                return false;
            if (type == QEvent::Show)
                sideWindowShown(w);
            else if (type == QEvent::Hide)
                sideWindowHidden(w);
            else if (type == QEvent::Resize)
                sideWindowResizedByCode(w);
            return false;
        }
        if (ZoomPercent == 100 || type == QEvent::Show || type == QEvent::Hide)
            return false;
        QWidget *root = treeOfControl(w);
        // A side window's controls wait for the window's own showing, which scales them all.
        if (!root || (!(Form1 && root == Form1->centralWidget()) && !windows.count(root)))
            return false;
        const auto it = controls.find(w);
        const int step = windows.count(root) ? windows[root].percent : ZoomPercent;
        if (type == QEvent::Polish) {
            if (it == controls.end()) {
                scaleControl(w, w == root, step, step);
                if (placesChildren(w))
                    scaleChildren(w, step, step);
            }
        } else if (it != controls.end() && it->second.placed && w->geometry() != it->second.applied) {
            // Only a place that code gave: the event of the shell's own placing may come late
            // (a control hidden meanwhile), after a step's own font was set.
            scaleControl(w, false, step, step);
        }
        return false;
    }
};

// ---- The per-step sizes of a few main-window controls ----------------------------------------

struct StepSizes {
    int step;
    int listFont, listItem;           // ListAlphabet: points, pixels
    int boxFont, boxItem;             // BoxCaracteresChoix
    int label3Font;                   // Label3
    int effectFont;                   // the fading and drift buttons of both rows
};
constexpr StepSizes StepTable[] = {
    {125, 14, 16, 11, 15, 11, 11},
    {150, 15, 20, 14, 19, 14, 11},
    {175, 20, 23, 15, 20, 15, 13},
    {200, 23, 25, 18, 29, 18, 13},
};
constexpr int EffectFontAt100 = 9;

QWidget *mainControl(const char *name)
{
    return WidgetNamed(Form1, name);
}

// These sizes are the step's own, not scaled from the design: they become the control's
// applied values, so the watcher does not take them for code's.
void setStepFont(QWidget *w, qreal points)
{
    const Applying guard;
    auto it = controls.find(w);
    if (it != controls.end()) {
        Control &rec = it->second;
        if (!rec.font)
            rec.designFont = scaleFont(sizeOf(w->font()), 100, ZoomPercent);
        rec.font = true;
        rec.appliedFont = {points, -1};
    }
    w->setFont(withSize(w->font(), {points, -1}));
}

void setStepGeometry(QWidget *w, const QRect &r)
{
    const Applying guard;
    w->setGeometry(r);
    if (auto it = controls.find(w); it != controls.end())
        it->second.applied = r;
}

// Rows of a step's height, never lower than their font: the view's own delegate still draws
// them. The model is left alone, since an editable combo box takes a change to its current
// row for a new text of its own.
class StepRowDelegate : public QAbstractItemDelegate {
public:
    StepRowDelegate(QAbstractItemDelegate *drawer, int height, QObject *parent)
        : QAbstractItemDelegate(parent), drawer_(drawer), height_(height)
    {
    }
    QAbstractItemDelegate *drawer() const { return drawer_; }
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        if (drawer_)
            drawer_->paint(painter, option, index);
    }
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const QSize size = drawer_ ? drawer_->sizeHint(option, index) : QSize();
        return {size.width(), std::max(height_, option.fontMetrics.height())};
    }

private:
    QPointer<QAbstractItemDelegate> drawer_;
    int height_;
};

void setRowHeight(QAbstractItemView *view, int height)
{
    auto *mine = dynamic_cast<StepRowDelegate *>(view->itemDelegate());
    QAbstractItemDelegate *drawer = mine ? mine->drawer() : view->itemDelegate();
    if (height > 0)
        view->setItemDelegate(new StepRowDelegate(drawer, height, view));
    else if (mine)
        view->setItemDelegate(drawer);
    if (mine)
        mine->deleteLater();
}

// The height of a list's or combo box's items; 0 gives back the design's.
void setItemHeight(QWidget *w, int height)
{
    QAbstractItemView *view = nullptr;
    auto *combo = qobject_cast<QComboBox *>(w);
    if (combo)
        view = combo->view();
    else
        view = qobject_cast<QAbstractItemView *>(w);
    if (!view || !view->model())
        return;
    if (combo) {
        // Its drop-down and every list beside it that shows its items.
        QWidget *panel = combo->parentWidget() ? combo->parentWidget() : combo;
        for (QAbstractItemView *other : panel->findChildren<QAbstractItemView *>())
            if (other != view && other->model() == view->model())
                setRowHeight(other, height);
        setRowHeight(view, height);
        return;
    }
    auto *list = qobject_cast<QListView *>(view);
    if (list && (list->gridSize().isValid() || designGrids.count(w))) {
        auto [it, fresh] = designGrids.try_emplace(w, list->gridSize());
        if (fresh)
            forgetWhenDestroyed(w);
        if (height > 0) {
            list->setGridSize(QSize(list->gridSize().width(), height));
        } else {
            list->setGridSize(it->second);
            designGrids.erase(it);
        }
        return;
    }
    setRowHeight(view, height);
}

void applyStepSizes()
{
    const StepSizes *sizes = nullptr;
    for (const StepSizes &s : StepTable)
        if (s.step == ZoomPercent)
            sizes = &s;

    // The character list's height follows its design by the step, as any control's: it lays
    // its pages out to fill that height, and a height of so many rows would run it over the
    // controls below it.
    if (QWidget *list = mainControl("ListAlphabet")) {
        if (sizes) {
            setStepFont(list, sizes->listFont);
            setItemHeight(list, sizes->listItem);
        } else {
            setItemHeight(list, 0);
        }
    }
    if (QWidget *box = mainControl("BoxCaracteresChoix")) {
        // Its height follows the design by the step, as the generic scaling does.
        if (sizes)
            setStepFont(box, sizes->boxFont);
        setItemHeight(box, sizes ? sizes->boxItem : 0);
    }
    if (QWidget *label = mainControl("Label3"); label && sizes) {
        setStepFont(label, sizes->label3Font);
        const int factor = ZoomPercent == 125 ? 98 : 95;
        QRect r = label->geometry();
        r.moveTop(int(qint64(DesignGeometry(label).top()) * factor * ZoomPercent / 10000));
        setStepGeometry(label, r);
    }
    for (const char *name : {"SpeedButtonQSB", "SpeedButtonDrift", "SpeedButtonQSBFile", "SpeedButtonDriftFile"})
        if (QWidget *button = mainControl(name))
            setStepFont(button, sizes ? sizes->effectFont : EffectFontAt100);
    // The quiz's lesson button lines up with the edit beside it.
    QWidget *button = mainControl("ButtonChangeLessonQuiz");
    QWidget *edit = mainControl("EditCaractersQuiz");
    if (button && edit) {
        QRect r = button->geometry();
        r.moveTop(edit->y());
        r.setHeight(edit->height());
        setStepGeometry(button, r);
    }
}

void loadGlyphs(QWidget *window, int percent);

// ---- The enlargement ------------------------------------------------------------------------

QAction *stepItem(int percent)
{
    if (!Form1)
        return nullptr;
    switch (percent) {
    case 125:
        return Form1->MenuAgrandir125;
    case 150:
        return Form1->MenuAgrandir150;
    case 175:
        return Form1->MenuAgrandir175;
    case 200:
        return Form1->MenuAgrandir200;
    default:
        return Form1->MenuAgrandir100;
    }
}

// Hidden at a change, in this order; each opens again at the new step.
std::vector<QWidget *> closedAtChange()
{
    return {FormNoise,
            FormNote,
            FormQSB,
            FormDrift,
            FormDriftBMP,
            SideWindowAt(SideWindowPlace::EntrySheet),
            SideWindowAt(SideWindowPlace::QuizReport),
            SideWindowAt(SideWindowPlace::ExamPause),
            FormMonitorInfo,
            SideWindowAt(SideWindowPlace::ChoiceHelpCard),
            FormInfo,
            SideWindowAt(SideWindowPlace::Instructor),
            SideWindowAt(SideWindowPlace::TileGame),
            SideWindowAt(SideWindowPlace::PairsGame),
            SideWindowAt(SideWindowPlace::GamesLauncher),
            SideWindowAt(SideWindowPlace::Beacon),
            FormFilter};
}

// The main window's size through a change once the window is built: from its size at the old
// step (exactly its design when the user did not resize it since) to the new step. The saved
// step at start leaves the size alone: the one read from the file is already at that step.
QSize mainDesign;
QSize mainApplied;

void resizeMainWindow(int from, int to)
{
    const QSize now = Form1->size();
    QSize design = now == mainApplied && mainDesign.isValid() ? mainDesign : scaleLimit(now, 100, from);
    // A width that only the menu bar held (its font keeps its size at every step) is not the
    // window's own: the new step starts from the design's, and the bar holds it again after.
    if (now.width() == Form1->minimumWidth() && now.width() > scale(TForm1::DesignWidth, from))
        design.setWidth(TForm1::DesignWidth);
    mainDesign = design;
    mainApplied = scaleLimit(design, to);
    Form1->setMinimumSize(MainWindowDesignSize());
    Form1->resize(mainApplied);
}

// ---- MAINZOOM= ------------------------------------------------------------------------------

// The step read from the file, applied at the end of the creation handler.
int savedZoom = 100;
// The step last chosen, kept in the file even while the screen holds only a smaller one.
int chosenZoom = 100;

void bindSettings()
{
    Settings().bind(
        "MAINZOOM=",
        [](const std::string &value) {
            // Only a step is taken; any other value leaves 100 %.
            const std::optional<int> percent = settings::ParseInt(value);
            savedZoom = percent && IsZoomStep(*percent) && ScreenPixelsPerInch == 96 ? *percent : 100;
        },
        [](std::vector<std::string> &values) {
            if (chosenZoom != 100)
                values.push_back(std::to_string(chosenZoom));
        });
    Settings().addReadStart("zoom: saved step", [] { savedZoom = 100; });
}

} // namespace

bool IsZoomStep(int percent)
{
    return std::find(std::begin(Steps), std::end(Steps), percent) != std::end(Steps);
}

int ZoomScaled(int designPixels)
{
    return scale(designPixels, ZoomPercent);
}

int ZoomToDesign(int screenPixels)
{
    return scale(screenPixels, 100, ZoomPercent);
}

int ZoomPercentOf(const QWidget *window)
{
    const QWidget *top = window ? window->window() : nullptr;
    if (!top || top == Form1 || !qobject_cast<const TSideForm *>(top) || exempt(top))
        return ZoomPercent;
    if (const auto it = windows.find(top); it != windows.end())
        return it->second.percent;
    return top->isVisible() ? 100 : ZoomPercent;
}

QRect DesignGeometry(const QWidget *control)
{
    if (!control)
        return {};
    const auto it = controls.find(control);
    if (it != controls.end() && it->second.placed && control->geometry() == it->second.applied)
        return it->second.design;
    return control->geometry();
}

void KeepsOwnLayout(QWidget *panel)
{
    if (panel)
        panel->setProperty(OwnLayoutProperty, true);
}

void ExemptFromZoom(QWidget *window)
{
    if (window)
        window->setProperty(ExemptProperty, true);
}

namespace {

std::vector<std::pair<QPointer<QObject>, std::function<void()>>> &zoomListeners()
{
    static std::vector<std::pair<QPointer<QObject>, std::function<void()>>> listeners;
    return listeners;
}

void tellZoomListeners()
{
    auto &listeners = zoomListeners();
    std::erase_if(listeners, [](const auto &listener) { return !listener.first; });
    const auto now = listeners;
    for (const auto &[owner, changed] : now)
        if (owner)
            changed();
}

} // namespace

void OnZoomChange(QObject *owner, std::function<void()> changed)
{
    if (owner && changed)
        zoomListeners().emplace_back(owner, std::move(changed));
}

void MenuAgrandirClick(int percent)
{
    if (!IsZoomStep(percent) || !Form1)
        return;
    // A step whose main window the screen cannot hold whole gives way to the largest it can
    // (the window is never smaller than its design at the step).
    chosenZoom = percent;
    percent = fittingStep(Form1, QSize(TForm1::DesignWidth, TForm1::DesignHeight), percent);
    // 1. and 2. The current step changes nothing; the items show the step.
    stepItem(percent)->setChecked(true);
    if (percent == ZoomPercent)
        return;
    const int from = ZoomPercent;

    // 3.
    CallHook(Hooks().leaveKidMode);

    // 4. Side windows are closed, except the zoom view, which is not enlarged, and the
    //    random-choice help card when going back to 100 %. Those still open are rescaled
    //    where they stand.
    if (MainFormCreated) {
        for (QWidget *form : closedAtChange())
            if (form && form->isVisible() && !(percent == 100 && form == SideWindowAt(SideWindowPlace::ChoiceHelpCard)))
                form->hide();
    }

    // 5. and 6.
    ZoomPercent = percent;
    if (MainFormCreated) {
        resizeMainWindow(from, percent);
        // A size the user gave it may still run off the screen at the new step.
        PlaceWindow(Form1, std::nullopt, std::nullopt);
    } else {
        Form1->setMinimumSize(MainWindowDesignSize());
    }
    scaleTree(Form1->centralWidget(), from, percent);
    for (TSideForm *form : TSideForm::all())
        if (form->isVisible() && treeOf(form))
            rescaleOpenSideWindow(form);

    // 7. to 12.
    LoadButtonGlyphs(QString::number(percent));
    applyStepSizes();
    if (FormZoom && FormZoom->isVisible())
        FormZoom->LoadCaseGlyph();
    tellZoomListeners();
}

void MenuAgrandir100Click()
{
    MenuAgrandirClick(100);
}

void MenuAgrandir125Click()
{
    MenuAgrandirClick(125);
}

void MenuAgrandir150Click()
{
    MenuAgrandirClick(150);
}

void MenuAgrandir175Click()
{
    MenuAgrandirClick(175);
}

void MenuAgrandir200Click()
{
    MenuAgrandirClick(200);
}

void LoadButtonGlyphs(const QString &step)
{
    loadGlyphs(Form1, step.toInt());
}

namespace {

void loadGlyphs(QWidget *window, int percent)
{
    if (!window)
        return;
    static const struct {
        const char *picture;
        std::initializer_list<const char *> controls;
    } glyphs[] = {
        {"reset", {"SpeedButtonResetLessons"}},
        {"play", {"ButtonQuizOK", "BitBtnPlayRandom"}},
        {"stop", {"ButtonStop", "BitBtnStopRandom"}},
        {"stopquiz", {"ButtonQuizStop"}},
        {"exit", {"ButtonQuitter"}},
        {"bruit", {"SpeedButtonNoise", "SpeedButtonNoiseFile"}},
        {"gomme", {"SpeedButtonRAZtext", "SpeedButtonRAZrandom", "SpeedButtonRazMonitor"}},
        {"ecrire", {"SpeedButtonSaisie", "SpeedButtonSaisieFile"}},
        {"lapin", {"SpeedButtonKid"}},
        {"case", {"SpeedButtonMonitorCase", "SpeedButtonRandomCase"}},
        {"filter", {"SpeedButtonMonitorFilter"}},
        {"import", {"BitBtnImportLessons", "BitBtnLocalLessonImport"}},
        {"hautparleur", {"SpeedButtonHP"}},
    };
    for (const auto &glyph : glyphs) {
        const QPixmap picture = ButtonGlyph(QString::fromLatin1(glyph.picture), percent);
        // One picture missing leaves only its own buttons as they were.
        if (picture.isNull())
            continue;
        for (const char *name : glyph.controls) {
            auto *button = window->findChild<QAbstractButton *>(QString::fromLatin1(name));
            if (!button)
                continue;
            const Applying guard;
            button->setIcon(QIcon(picture));
            button->setIconSize(picture.size());
            if (auto it = controls.find(button); it != controls.end())
                it->second.appliedIcon = picture.size();
        }
    }
}

} // namespace

void BuildEnlargement(TForm1 &form)
{
    // The records belong to the windows of this run.
    controls.clear();
    layouts.clear();
    windows.clear();
    designGrids.clear();
    mainDesign = mainApplied = QSize();
    ZoomPercent = 100;
    savedZoom = 100;
    chosenZoom = 100;

    qApp->installEventFilter(new ZoomWatcher(&form));

    const struct {
        QAction *item;
        void (*click)();
    } items[] = {
        {form.MenuAgrandir100, MenuAgrandir100Click}, {form.MenuAgrandir125, MenuAgrandir125Click},
        {form.MenuAgrandir150, MenuAgrandir150Click}, {form.MenuAgrandir175, MenuAgrandir175Click},
        {form.MenuAgrandir200, MenuAgrandir200Click},
    };
    for (const auto &item : items)
        QObject::connect(item.item, &QAction::triggered, item.item, [click = item.click] { click(); });

    bindSettings();
    // The saved step at the end of the creation handler (only at 96 pixels per inch).
    AddModuleStep(ModuleStep::ApplySavedZoom, "enlargement", [] {
        if (savedZoom != 100)
            ClickMenuItem(stepItem(savedZoom));
    });
    loadGlyphs(&form, 100);
}
