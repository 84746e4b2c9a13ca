// The quiz report window FormReport: the per-character results as a grid, sorted three ways,
// and saved as QUIZ_yyyymmddhhmm.txt in the data folder.

#include "training/quizinternal.h"

#include "engine/cp1252.h"
#include "shell/datafolders.h"
#include "shell/formdialog.h"
#include "shell/languages/languages.h"
#include "shell/languages/messages.h"
#include "shell/sidewindows.h"
#include "shell/zoom.h"

#include <QAction>
#include <QDir>
#include <QEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QSaveFile>
#include <QScreen>
#include <QTableWidget>
#include <QToolButton>

#include <cmath>

namespace {

// ---- Texts -------------------------------------------------------------------------------------

constexpr Tr Caption("QUIZ - Report", "QUIZ - Jelentés", "QUIZ - Bericht", "QUIZ - Rapport", "QUIZ - Rapporto",
                     "QUIZ - Relatório", "QUIZ - Reporte");
constexpr Tr CodeHeader("Code", "KÓD", "Code", "Code", "Codice", "Codigo", "Código");
constexpr Tr PlayedHeader("Played", "Játszott", "Gespielte", "Joués", "Riprod.", "Jogado", "Jugado");
constexpr Tr ErrorsHeader("Errors", "Hibák", "Fehler", "Erreurs", "Errori", "Erros", "Errores");
constexpr Tr SuccessHeader("Success (%)", "Siker (%)", "Erfolg (%)", "Succès (%)", "Successo (%)", "Sucesso (%)",
                           "Éxito (%)");
constexpr Tr OccurrenceNote("(Equal occurrence)", "(Egyenlo elofordulás)", "(Gleiches Vorkommen)",
                            "(Egale occurrence)", "(Pari occorrenze)", "(Igualdade de ocorrência)",
                            "(Igual ocurrencia)");
// Column 0's header: only the saved file has it.
constexpr Tr ReportCharactersHeader("Characters", "Karakterek", "Zeichen", "Caractères", "Caratteri", "Caracteres",
                                    "Caracteres");
constexpr Tr SavedPrefix("Saved as ", "Mentve mint ", "Gespeichert als ", "Enregistré sous ", "Salvato come ",
                         "Guardado como ", "Guardado como ");
constexpr Tr SaveError("Can't create Quiz file", "Nem tudja létrehozni a QUIZ fájlt",
                       "QUIZ-Datei kann nicht erstellt werden", "Ne peut créer le fichier Quiz",
                       "Impossibile creare il file QUIZ", "Não pode criar o arquivo QUIZ",
                       "No se puede crear el archivo QUIZ");
constexpr Tr SortAZHint("Sort A-Z", "Rendezés A-Z", "Sortieren A-Z", "Trier de A à Z", "Ordina A-Z", "Ordenar A-Z",
                        "Ordenar A-Z");
constexpr Tr SortMinMaxHint("Sort by success, lowest first", "Rendezés siker szerint, a legkisebb elöl",
                            "Nach Erfolg sortieren, niedrigster zuerst", "Trier par succès, le plus faible d'abord",
                            "Ordina per successo, il più basso prima", "Ordenar por sucesso, o mais baixo primeiro",
                            "Ordenar por éxito, el más bajo primero");
constexpr Tr SortMaxMinHint("Sort by success, highest first", "Rendezés siker szerint, a legnagyobb elöl",
                            "Nach Erfolg sortieren, höchster zuerst", "Trier par succès, le plus fort d'abord",
                            "Ordina per successo, il più alto prima", "Ordenar por sucesso, o mais alto primeiro",
                            "Ordenar por éxito, el más alto primero");
constexpr Tr SaveHint("Save report as .txt", "Jelentés mentése .txt-ként", "Bericht als .txt speichern",
                      "Enregistrer le rapport en .txt", "Salva il rapporto come .txt", "Guardar o relatório como .txt",
                      "Guardar el reporte como .txt");

constexpr int ColumnWidths[] = {20, 96, 74, 71, 83};

// ---- Pictures of the four buttons --------------------------------------------------------------

enum class Glyph { AZ, MinMax, MaxMin, Save };

QIcon glyph(Glyph kind)
{
    QPixmap picture(28, 28);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    switch (kind) {
    case Glyph::AZ: {
        QFont font = p.font();
        font.setPixelSize(11);
        font.setBold(true);
        p.setFont(font);
        p.setPen(Qt::darkBlue);
        p.drawText(QRect(1, 0, 14, 14), Qt::AlignCenter, QStringLiteral("A"));
        p.drawText(QRect(1, 14, 14, 14), Qt::AlignCenter, QStringLiteral("Z"));
        p.setPen(QPen(Qt::black, 2));
        p.drawLine(21, 4, 21, 23);
        p.drawLine(17, 18, 21, 23);
        p.drawLine(25, 18, 21, 23);
        break;
    }
    case Glyph::MinMax:
    case Glyph::MaxMin:
        for (int i = 0; i < 4; ++i) {
            const int height = kind == Glyph::MinMax ? 6 + 5 * i : 21 - 5 * i;
            p.fillRect(QRect(3 + 6 * i, 25 - height, 4, height), QColor(40, 120, 40));
        }
        break;
    case Glyph::Save:
        p.setPen(QPen(Qt::black, 1.5));
        p.setBrush(QColor(60, 90, 160));
        p.drawRoundedRect(QRectF(3, 3, 22, 22), 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(7, 4, 14, 8));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(8, 16, 12, 8));
        break;
    }
    return QIcon(picture);
}

// ---- The window ----------------------------------------------------------------------------------

class QuizReportWindow : public QObject, public LanguageAware {
public:
    explicit QuizReportWindow(QWidget *window)
        : QObject(window), LanguageAware(window), window_(window)
    {
        setObjectName(QStringLiteral("QuizReportWindow"));
        window->resize(380, 470);
        Label1 = label("Label1", QRect(8, 6, 364, 20));
        Label2 = label("Label2", QRect(8, 28, 364, 20));
        StringGridReport = new QTableWidget(0, 5, window);
        StringGridReport->setObjectName(QStringLiteral("StringGridReport"));
        StringGridReport->setGeometry(8, 52, 364, 330);
        StringGridReport->verticalHeader()->hide();
        StringGridReport->setEditTriggers(QAbstractItemView::NoEditTriggers);
        StringGridReport->setSelectionBehavior(QAbstractItemView::SelectRows);
        StringGridReport->setSelectionMode(QAbstractItemView::SingleSelection);
        baseRowHeight_ = StringGridReport->verticalHeader()->defaultSectionSize();
        StaticTextQuizVitesse = label("StaticTextQuizVitesse", QRect(8, 388, 364, 22));
        SpeedButtonTrrAZ = button("SpeedButtonTrrAZ", 8, Glyph::AZ, SpeedButtonTrrAZClick);
        SpeedButtonTriMinMax = button("SpeedButtonTriMinMax", 48, Glyph::MinMax, SpeedButtonTriMinMaxClick);
        SpeedButtonMaxmin = button("SpeedButtonMaxmin", 88, Glyph::MaxMin, SpeedButtonMaxminClick);
        SpeedButtonSave = button("SpeedButtonSave", 336, Glyph::Save, SpeedButtonSaveClick);
        // At the right edge of the screen.
        if (QScreen *screen = QGuiApplication::primaryScreen())
            window->move(screen->availableGeometry().right() + 1 - window->width(), window->y());
        window->installEventFilter(this);
    }

    void retranslate() override
    {
        window_->setWindowTitle(Pick(Caption));
        StringGridReport->setHorizontalHeaderLabels(
            {QString(), Pick(CodeHeader), Pick(PlayedHeader), Pick(ErrorsHeader), Pick(SuccessHeader)});
        const QuizModule &m = QuizModuleState();
        Label2->setText(m.MenuQuizPseudorandom && m.MenuQuizPseudorandom->isChecked() ? Pick(OccurrenceNote) : QString());
        StaticTextQuizVitesse->setText(TxtAnswerSpeed() + QString::number(m.core.ReportSpeed, 'f', 1) + TxtWpm());
        SpeedButtonTrrAZ->setToolTip(Pick(SortAZHint));
        SpeedButtonTriMinMax->setToolTip(Pick(SortMinMaxHint));
        SpeedButtonMaxmin->setToolTip(Pick(SortMaxMinHint));
        SpeedButtonSave->setToolTip(Pick(SaveHint));
    }

    // FormShow: the texts, the speed, the set, and the rows A-Z from the top.
    void shown()
    {
        const QuizModule &m = QuizModuleState();
        retranslate();
        if (m.EditCaractersQuiz)
            Label1->setText(m.EditCaractersQuiz->text());
        // The grid's columns and rows follow the enlargement, from their design sizes.
        const int percent = ZoomPercentOf(window_);
        auto scaled = [percent](int base) { return static_cast<int>(std::nearbyint(base * percent / 100.0)); };
        for (int column = 0; column < 5; ++column)
            StringGridReport->setColumnWidth(column, scaled(ColumnWidths[column]));
        StringGridReport->verticalHeader()->setDefaultSectionSize(scaled(baseRowHeight_));
        QuizState().Results.sortAZ();
        showRows();
        if (StringGridReport->rowCount() > 0)
            StringGridReport->selectRow(0);
        StringGridReport->scrollToTop();
    }

    void showRows()
    {
        const std::vector<quiz::ReportRow> &rows = QuizState().Results.rows();
        StringGridReport->setRowCount(static_cast<int>(rows.size()));
        for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
            const quiz::ReportRow &row = rows[static_cast<std::size_t>(r)];
            const QString cells[] = {cp1252::toQString(std::string(1, static_cast<char>(row.character))),
                                     cp1252::toQString(row.code), QString::number(row.played),
                                     QString::number(row.errors), QString::number(row.success)};
            for (int column = 0; column < 5; ++column) {
                QTableWidgetItem *item = StringGridReport->item(r, column);
                if (!item) {
                    item = new QTableWidgetItem;
                    StringGridReport->setItem(r, column, item);
                }
                item->setText(cells[column]);
            }
        }
    }

    QTableWidget *StringGridReport = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *StaticTextQuizVitesse = nullptr;
    QToolButton *SpeedButtonTrrAZ = nullptr;
    QToolButton *SpeedButtonTriMinMax = nullptr;
    QToolButton *SpeedButtonMaxmin = nullptr;
    QToolButton *SpeedButtonSave = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == window_ && event->type() == QEvent::Show && !event->spontaneous())
            shown();
        return false;
    }

private:
    QLabel *label(const char *name, const QRect &geometry)
    {
        auto *l = new QLabel(window_);
        l->setObjectName(QString::fromLatin1(name));
        l->setGeometry(geometry);
        return l;
    }

    QToolButton *button(const char *name, int left, Glyph kind, void (*handler)())
    {
        auto *b = new QToolButton(window_);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(left, 420, 36, 36);
        b->setIcon(glyph(kind));
        b->setIconSize(QSize(28, 28));
        QObject::connect(b, &QToolButton::clicked, b, [handler] { handler(); });
        return b;
    }

    QWidget *window_;
    int baseRowHeight_ = 0;
};

// The window's contents; gone with the window.
QPointer<QuizReportWindow> filled;

QuizReportWindow *reportWindow()
{
    return filled && filled->parent() == FormReport ? filled.data() : nullptr;
}

void sortAndShow(void (quiz::Report::*sort)())
{
    (QuizState().Results.*sort)();
    ShowQuizReportRows();
}

quiz::Stamp stampOf(const QDateTime &moment)
{
    const QDate date = moment.date();
    const QTime time = moment.time();
    return {date.year(), date.month(), date.day(), time.hour(), time.minute()};
}

std::string inFile(const Tr &text)
{
    return cp1252::fromQString(Pick(text));
}

} // namespace

void BuildQuizReportWindow()
{
    if (FormReport && !reportWindow())
        filled = new QuizReportWindow(FormReport);
}

void ShowQuizReportRows()
{
    if (QuizReportWindow *window = reportWindow())
        window->showRows();
}

void SpeedButtonTrrAZClick()
{
    sortAndShow(&quiz::Report::sortAZ);
}

void SpeedButtonTriMinMaxClick()
{
    sortAndShow(&quiz::Report::sortSuccessAscending);
}

void SpeedButtonMaxminClick()
{
    sortAndShow(&quiz::Report::sortSuccessDescending);
}

void SpeedButtonSaveClick()
{
    const quiz::Report &report = QuizState().Results;
    if (report.empty())
        return;
    const quiz::Stamp stamp = stampOf(QuizReportClock() ? QuizReportClock()() : QDateTime::currentDateTime());
    const quiz::ReportHeaders headers{inFile(ReportCharactersHeader), inFile(CodeHeader), inFile(PlayedHeader),
                                      inFile(ErrorsHeader), inFile(SuccessHeader)};
    const std::string content = quiz::ReportFileContent(report, headers, stamp);
    QDir().mkpath(DataFolder());
    const QString path = QDir(DataFolder()).filePath(QString::fromStdString(quiz::ReportFileName(stamp)));
    // Written whole or not at all; a failure never reads as saved.
    QSaveFile file(path);
    const bool saved = file.open(QIODevice::WriteOnly)
        && file.write(content.data(), static_cast<qint64>(content.size())) == static_cast<qint64>(content.size())
        && file.commit();
    ShowProgramMessage(saved ? Pick(SavedPrefix) + path : Pick(SaveError));
}

TFormReport *FormReport = nullptr;

TFormReport::TFormReport(QWidget *parent)
    : TSideForm("FormReport", parent)
{
}
