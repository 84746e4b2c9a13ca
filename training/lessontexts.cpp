// The lessons' texts on the main window, in the seven languages.

#include "shell/languages/mainwindowtexts.h"
#include "training/lessonsinternal.h"

namespace {

using K = TextKind;

constexpr Tr kImport("Import", "Importálás", "Importieren", "Importer", "Importa", "Importar", "Importar");
constexpr Tr kExit("Exit", "Kilépés", "Beenden", "Sortir", "Esci", "Sair", "Salir");
constexpr Tr kCancel("Cancel", "Mégse", "Abbrechen", "Annuler", "Annulla", "Cancelar", "Cancelar");

constexpr TextRow LessonTexts[] = {
    {"MenuLocallesson", K::Caption,
     Tr("&Lesson settings", "&Lecke beállítások", "&Lektionseinstellungen", "Réglages des &leçons",
        "Impostazioni &lezioni", "Configuração das &lições", "Ajustes de &lecciones")},
    {"MenuImportlessons", K::Caption,
     Tr("Import lessons", "Leckék importálása", "Lektionen importieren", "Importer des leçons", "Importa lezioni",
        "Importar lições", "Importar lecciones")},
    {"ButtonChangeLesson", K::Caption, Tr("Change", "Változtat", "Ändern", "Changer", "Cambia", "Mudar", "Cambiar")},
    {"ButtonChangeLesson", K::Hint,
     Tr("Choose the characters or a lesson", "Karakterek vagy lecke választása", "Zeichen oder Lektion wählen",
        "Choisir les caractères ou une leçon", "Scegli i caratteri o una lezione", "Escolher os caracteres ou uma lição",
        "Elegir los caracteres o una lección")},
    {"ButtonSetLesson", K::Caption,
     Tr("Lessons...", "Leckék...", "Lektionen...", "Leçons...", "Lezioni...", "Lições...", "Lecciones...")},
    {"SpeedButtonChoixMoins", K::Hint,
     Tr("Previous page", "Elözö oldal", "Vorherige Seite", "Page précédente", "Pagina precedente", "Página anterior",
        "Página anterior")},
    {"SpeedButtonChoixPlus", K::Hint,
     Tr("Next page", "Következö oldal", "Nächste Seite", "Page suivante", "Pagina successiva", "Página seguinte",
        "Página siguiente")},

    {"LabelLocalLesson", K::Caption,
     Tr("LESSON SETTINGS", "LECKE BEÁLLÍTÁSOK", "LEKTIONSEINSTELLUNGEN", "RÉGLAGES DES LEÇONS", "IMPOSTAZIONI LEZIONI",
        "CONFIGURAÇÃO DAS LIÇÕES", "AJUSTES DE LECCIONES")},
    {"PanelMyLessons", K::Caption,
     Tr("Local lessons", "Helyi leckék", "Lokale Lektionen", "Leçons locales", "Lezioni locali", "Lições locais",
        "Lecciones locales")},
    {"CheckBoxLOCAL", K::Caption,
     Tr("Choose local lessons", "Helyi leckék választása", "Lokale Lektionen wählen", "Choisir les leçons locales",
        "Scegli le lezioni locali", "Escolher as lições locais", "Elegir las lecciones locales")},
    {"LabelNumeroLesson", K::Caption,
     Tr("Lesson number (1 to 60)", "Lecke száma (1-60)", "Lektionsnummer (1 bis 60)", "Numéro de leçon (1 à 60)",
        "Numero di lezione (1-60)", "Número da lição (1 a 60)", "Número de lección (1 a 60)")},
    {"LabelCaractereLesson", K::Caption,
     Tr("Characters of the lesson (55 at most)", "A lecke karakterei (legfeljebb 55)",
        "Zeichen der Lektion (höchstens 55)", "Caractères de la leçon (55 au plus)",
        "Caratteri della lezione (al massimo 55)", "Caracteres da lição (55 no máximo)",
        "Caracteres de la lección (55 como máximo)")},
    {"ButtonLocalLessonEnter", K::Caption,
     Tr("Enter", "Bevitel", "Eingabe", "Entrer", "Inserisci", "Inserir", "Introducir")},
    {"LabelLocalLesson2", K::Caption,
     Tr("A lesson left empty is deleted. A right click on a lesson of the list edits it.",
        "Az üresen hagyott lecke törlödik. A lista egy leckéjére jobb kattintással szerkeszthetö.",
        "Eine leer gelassene Lektion wird gelöscht. Ein Rechtsklick auf eine Lektion der Liste bearbeitet sie.",
        "Une leçon laissée vide est supprimée. Un clic droit sur une leçon de la liste la modifie.",
        "Una lezione lasciata vuota viene cancellata. Un clic destro su una lezione della lista la modifica.",
        "Uma lição deixada vazia é apagada. Um clique direito numa lição da lista edita-a.",
        "Una lección dejada vacía se borra. Un clic derecho en una lección de la lista la edita.")},
    {"SpeedButtonResetLessons", K::Hint,
     Tr("Reset default lessons", "Alapértelmezett leckék visszaállítása", "Standardlektionen wiederherstellen",
        "Rétablir les leçons par défaut", "Ripristina le lezioni predefinite", "Repor as lições predefinidas",
        "Restablecer las lecciones predeterminadas")},
    {"BitBtnLocalLessonImport", K::Caption, kImport},
    {"BitBtnLocalLessonImport", K::Hint,
     Tr("Import lessons from a text file", "Leckék importálása szövegfájlból", "Lektionen aus einer Textdatei importieren",
        "Importer des leçons d'un fichier texte", "Importa lezioni da un file di testo",
        "Importar lições de um ficheiro de texto", "Importar lecciones de un archivo de texto")},
    {"PanelKochLesson", K::Caption,
     Tr("KOCH method", "KOCH módszer", "KOCH-Methode", "Méthode KOCH", "Metodo KOCH", "Método KOCH", "Método KOCH")},
    {"CheckBoxKOCH", K::Caption,
     Tr("Choose the KOCH method", "A KOCH módszer választása", "KOCH-Methode wählen", "Choisir la méthode KOCH",
        "Scegli il metodo KOCH", "Escolher o método KOCH", "Elegir el método KOCH")},
    {"LabelKOCHlist", K::Caption,
     Tr("Characters in the order of learning (60 at most)", "Karakterek a tanulás sorrendjében (legfeljebb 60)",
        "Zeichen in der Lernreihenfolge (höchstens 60)", "Caractères dans l'ordre d'apprentissage (60 au plus)",
        "Caratteri nell'ordine di apprendimento (al massimo 60)",
        "Caracteres pela ordem de aprendizagem (60 no máximo)",
        "Caracteres en el orden de aprendizaje (60 como máximo)")},
    {"BitBtnDefaultKoch", K::Caption,
     Tr("Default", "Alapérték", "Standard", "Par défaut", "Predefinito", "Predefinido", "Predeterminado")},
    {"BitBtnDefaultKoch", K::Hint,
     Tr("Default KOCH order", "Alapértelmezett KOCH sorrend", "Standard-KOCH-Reihenfolge", "Ordre KOCH par défaut",
        "Ordine KOCH predefinito", "Ordem KOCH predefinida", "Orden KOCH predeterminado")},
    {"LabelKochNote", K::Caption,
     Tr("Lesson 1 holds the first two characters; each lesson adds the next one.",
        "Az 1. lecke az elsö két karaktert tartalmazza; minden lecke hozzáadja a következöt.",
        "Lektion 1 enthält die ersten zwei Zeichen; jede Lektion fügt das nächste hinzu.",
        "La leçon 1 contient les deux premiers caractères ; chaque leçon ajoute le suivant.",
        "La lezione 1 contiene i primi due caratteri; ogni lezione aggiunge il successivo.",
        "A lição 1 contém os dois primeiros caracteres; cada lição acrescenta o seguinte.",
        "La lección 1 contiene los dos primeros caracteres; cada lección añade el siguiente.")},
    {"ButtonKochExit", K::Caption, kExit},
    {"ButtonLocalLessonExit", K::Caption, kExit},
    {"BitBtnCancelKOCH", K::Caption, kCancel},

    {"LabelImportLessons", K::Caption,
     Tr("IMPORT LESSONS", "LECKÉK IMPORTÁLÁSA", "LEKTIONEN IMPORTIEREN", "IMPORTER DES LEÇONS", "IMPORTA LEZIONI",
        "IMPORTAR LIÇÕES", "IMPORTAR LECCIONES")},
    {"LabelImportLessonsInfo", K::Caption,
     Tr("A text file with one lesson per line: 55 characters at most, 60 lessons at most. Lines starting with // are "
        "comments.",
        "Szövegfájl, soronként egy leckével: legfeljebb 55 karakter, legfeljebb 60 lecke. A // kezdetü sorok "
        "megjegyzések.",
        "Eine Textdatei mit einer Lektion pro Zeile: höchstens 55 Zeichen, höchstens 60 Lektionen. Zeilen, die mit // "
        "beginnen, sind Kommentare.",
        "Un fichier texte avec une leçon par ligne : 55 caractères au plus, 60 leçons au plus. Les lignes commençant "
        "par // sont des commentaires.",
        "Un file di testo con una lezione per riga: al massimo 55 caratteri, al massimo 60 lezioni. Le righe che "
        "iniziano con // sono commenti.",
        "Um ficheiro de texto com uma lição por linha: 55 caracteres no máximo, 60 lições no máximo. As linhas que "
        "começam por // são comentários.",
        "Un archivo de texto con una lección por línea: 55 caracteres como máximo, 60 lecciones como máximo. Las "
        "líneas que empiezan por // son comentarios.")},
    {"BitBtnImportLessons", K::Caption, kImport},
    {"LabelEnterNumLesson", K::Caption,
     Tr("Number of the first lesson", "Az elsö lecke száma", "Nummer der ersten Lektion", "Numéro de la première leçon",
        "Numero della prima lezione", "Número da primeira lição", "Número de la primera lección")},
    {"BitBtnOKImportLessons", K::Caption, Tr("OK", "OK", "OK", "OK", "OK", "OK", "OK")},
    {"BitBtnCancelImport", K::Caption, kCancel},
};
static_assert(allLanguagesPresent(LessonTexts, [](const TextRow &row) -> const Tr & { return row.text; }));

} // namespace

std::span<const TextRow> LessonTextRows()
{
    return LessonTexts;
}
