#include "shell/instructorlock.h"

#include <QApplication>
#include <QObject>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextEdit>
#include <QWidget>

#include <vector>

namespace {

struct Follower {
    InstructorLock lock;
    QPointer<QObject> owner;
    std::function<void(bool)> follow;
};

std::vector<Follower> &followers()
{
    static std::vector<Follower> list;
    return list;
}

std::size_t indexOf(InstructorLock lock)
{
    return static_cast<std::size_t>(lock);
}

// While a box is masked it keeps no selection: what cannot be selected cannot be copied or
// dragged out of it either.
constexpr char SelectionGuardName[] = "MaskedSelectionGuard";

template <typename Edit> void dropSelection(Edit *edit)
{
    QTextCursor cursor = edit->textCursor();
    if (cursor.hasSelection()) {
        cursor.clearSelection();
        edit->setTextCursor(cursor);
    }
}

template <typename Edit> void guardSelection(Edit *edit, bool masked)
{
    auto *guard = edit->template findChild<QObject *>(QLatin1String(SelectionGuardName), Qt::FindDirectChildrenOnly);
    if (!masked) {
        delete guard;
        return;
    }
    if (!guard) {
        guard = new QObject(edit);
        guard->setObjectName(QLatin1String(SelectionGuardName));
        QObject::connect(edit, &Edit::selectionChanged, guard, [edit] { dropSelection(edit); });
    }
    dropSelection(edit);
}

} // namespace

std::array<bool, InstructorLockCount> &LockedOptions()
{
    static std::array<bool, InstructorLockCount> locked{};
    return locked;
}

bool OptionLocked(InstructorLock lock)
{
    return LockedOptions()[indexOf(lock)];
}

void SetOptionLocked(InstructorLock lock, bool locked)
{
    LockedOptions()[indexOf(lock)] = locked;
    auto &list = followers();
    std::erase_if(list, [](const Follower &f) { return !f.owner; });
    // A follower may register or run others; work on a copy.
    const std::vector<Follower> now = list;
    for (const Follower &f : now) {
        if (f.lock == lock && f.owner && f.follow)
            f.follow(locked);
    }
}

void FollowOptionLock(InstructorLock lock, QObject *owner, std::function<void(bool locked)> follow)
{
    if (!owner || !follow)
        return;
    auto &list = followers();
    std::erase_if(list, [&](const Follower &f) { return !f.owner || (f.owner == owner && f.lock == lock); });
    list.push_back({lock, owner, follow});
    follow(OptionLocked(lock));
}

void MaskSelection(QWidget *box, bool masked)
{
    if (!box)
        return;
    QPalette palette = box->palette();
    const QPalette normal = QApplication::palette(box);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        const QColor ink = palette.color(group, QPalette::Text);
        palette.setColor(group, QPalette::Highlight, masked ? ink : normal.color(group, QPalette::Highlight));
        palette.setColor(group, QPalette::HighlightedText,
                         masked ? ink : normal.color(group, QPalette::HighlightedText));
    }
    box->setPalette(palette);
    if (auto *plain = qobject_cast<QPlainTextEdit *>(box))
        guardSelection(plain, masked);
    else if (auto *rich = qobject_cast<QTextEdit *>(box))
        guardSelection(rich, masked);
}
