// Modules reach many controls of other modules by their object names (texts of a language,
// hints, key routes, settings, the panels Stop closes, ...). A control renamed in one place and
// not in another would make such a look-up find nothing and do nothing, silently. Every
// control name written in the program's code must therefore name a control the program builds.

#include "tests/common/testsupport.h"
#include "tests/shell/shelltestsupport.h"

#include "shell/help.h"
#include "shell/mainwindow.h"
#include "shell/sidewindows.h"
#include "training/exam.h"
#include "training/quiz.h"

#include <QApplication>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <set>

namespace {

// Every object name in the program's windows, once start-up has made them and the parts made
// when first needed (the quiz report's grid, the exam pause's contents, the help window)
// exist too.
std::set<QString> namesBuilt()
{
    shelltest::ensureWindows();
    BuildQuizReportWindow();
    ShowExamPause();
    HelpWindow();
    std::set<QString> names;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        names.insert(window->objectName());
        for (const QObject *child : window->findChildren<QObject *>())
            names.insert(child->objectName());
    }
    return names;
}

// The shape of the program's control names: a control kind first (ButtonQuizOK, MenuZoom,
// menuExamen, SpinEditEspace, ...), a capitalised word with a number (English1, Spacing1),
// or a word ending in Edit (FileEdit). Texts, keys, resources and file names have other shapes,
// but for one: the file text box's placeholder line, "MemoFile", is a text.
const QRegularExpression &controlName()
{
    static const QRegularExpression shape(QStringLiteral(
        "^(?:(?:BitBtn|Box|Button|CheckBox|ComboBox|Edit|Gauge|GroupBox|Image|Label|Led|List|Memo|[Mm]enu|"
        "Panel|Pop|ProgressBar|RadioButton|RadioGroup|ScrollBar|SpeedButton|SpinEdit|StaticText|StringGrid|"
        "TrackBar|Timer|UpDown|Visage)[A-Za-z0-9_]*|Form(?:[A-Z0-9]|help)[A-Za-z0-9]*|(?:Up|Down)[A-Z][A-Za-z]*|"
        "[A-Z][a-z]+[0-9]+|[A-Z][a-z]+Edit)$"));
    return shape;
}

struct Use {
    QString name;
    QString where; // file:line
    bool numbered; // a number is added to it (ButtonMsg + n)
};

QString withoutComments(QString text)
{
    static const QRegularExpression comments(QStringLiteral(R"(//[^\n]*|/\*.*?\*/)"),
                                             QRegularExpression::DotMatchesEverythingOption);
    // Line numbers stay: a comment gives way to as many line ends as it held.
    QString result;
    qsizetype last = 0;
    for (auto match = comments.globalMatch(text); match.hasNext();) {
        const auto m = match.next();
        result += text.mid(last, m.capturedStart() - last);
        result += QString(m.captured().count(QLatin1Char('\n')), QLatin1Char('\n'));
        last = m.capturedEnd();
    }
    return result + text.mid(last);
}

// The control names written in the program's own code (not its tests): string literals of a
// control name's shape in shell/, training/ and games/.
std::vector<Use> namesInTheCode()
{
    static const QRegularExpression literal(QStringLiteral(R"re("([A-Za-z][A-Za-z0-9_]*)")re"));
    std::vector<Use> uses;
    for (const char *folder : {"shell", "training", "games"}) {
        QDirIterator files(testsupport::sourceDir() + QLatin1Char('/') + QLatin1String(folder),
                           {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                           QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString path = files.next();
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const QString code = withoutComments(QString::fromUtf8(file.readAll()));
            for (auto match = literal.globalMatch(code); match.hasNext();) {
                const auto m = match.next();
                if (!controlName().match(m.captured(1)).hasMatch() || m.captured(1) == QLatin1String("MemoFile"))
                    continue;
                // A statement that numbers a name (ButtonMsg1 to ButtonMsg6) writes only its start.
                const qsizetype from = code.lastIndexOf(QLatin1Char(';'), m.capturedStart()) + 1;
                const qsizetype to = code.indexOf(QLatin1Char(';'), m.capturedEnd());
                const QString statement = code.mid(from, to < 0 ? -1 : to - from);
                const bool numbered = statement.contains(QLatin1String("number(")) || statement.contains(QLatin1String("indexed("));
                const int line = int(code.left(m.capturedStart()).count(QLatin1Char('\n'))) + 1;
                uses.push_back({m.captured(1), path.mid(testsupport::sourceDir().size() + 1) + QLatin1Char(':') + QString::number(line), numbered});
            }
        }
    }
    return uses;
}

bool builtWithANumber(const std::set<QString> &built, const QString &start)
{
    for (auto it = built.lower_bound(start); it != built.end() && it->startsWith(start); ++it)
        if (it->size() > start.size() && it->at(start.size()).isDigit())
            return true;
    return false;
}

TEST(ControlNames, EveryControlNameInTheCodeNamesAControlOfTheProgramsWindows)
{
    const std::vector<Use> uses = namesInTheCode();
    // The scan reads the program's sources: a wrong folder would find nothing and pass.
    ASSERT_GT(uses.size(), 500u);
    const std::set<QString> built = namesBuilt();
    for (const Use &use : uses) {
        const bool found = built.count(use.name) || (use.numbered && builtWithANumber(built, use.name));
        EXPECT_TRUE(found) << use.where.toStdString() << ": no control named \"" << use.name.toStdString()
                           << "\" in the program's windows";
    }
}

} // namespace
