// The random module's texts in the seven languages.

#include "shell/languages/mainwindowtexts.h"
#include "training/randominternal.h"

#include <iterator>

namespace {

using K = TextKind;

// Columns: English, Magyar, Deutsch, Français, Italiano, Português, Español.
constexpr TextRow kRows[] = {
    // Labels
    {"LabelRandomNumber", K::Caption,
     Tr("Characters in a series", "Karakter/sorozat", "Zeichen je Serie", "Caractères par série",
        "Caratteri per serie", "Caracteres por série", "Caracteres por serie")},
    {"LabelChoixCaracteres", K::Caption,
     Tr("Input 55 characters maximum or choose a lesson", "Legfeljebb 55 karaktert írjon be, vagy válasszon leckét",
        "Höchstens 55 Zeichen eingeben oder eine Lektion wählen",
        "Entrez 55 caractères au maximum ou choisissez une leçon",
        "Inserite al massimo 55 caratteri o scegliete una lezione",
        "Introduza no máximo 55 caracteres ou escolha uma lição",
        "Introduzca 55 caracteres como máximo o elija una lección")},

    // Buttons
    {"BitBtnPlayRandom", K::Caption, Tr("Play", "Lejátszás", "Abspielen", "Jouer", "Suona", "Tocar", "Reproducir")},
    {"BitBtnStopRandom", K::Caption, Tr("Stop", "Állj", "Stopp", "Arrêt", "Stop", "Parar", "Detener")},
    {"ButtonChoixCaractereOK", K::Caption, Tr("OK", "OK", "OK", "OK", "OK", "OK", "OK")},
    {"ButtonCancelChoix", K::Caption,
     Tr("Cancel", "Mégse", "Abbrechen", "Annuler", "Annulla", "Cancelar", "Cancelar")},

    // Group boxes and panels
    {"GroupBoxRandom", K::Caption,
     Tr("Random groups", "Véletlen csoportok", "Zufallsgruppen", "Groupes aléatoires", "Gruppi casuali",
        "Grupos aleatórios", "Grupos aleatorios")},
    {"PanelChoixRandom", K::Caption,
     Tr("Choice of characters", "Karakterek választása", "Zeichenauswahl", "Choix des caractères",
        "Scelta dei caratteri", "Escolha dos caracteres", "Elección de caracteres")},

    // Menu items
    {"MenuRandomOptions", K::Caption,
     Tr("&Random", "&Véletlen", "&Zufall", "&Aléatoire", "&Casuale", "&Aleatório", "&Aleatorio")},
    {"MenuLetters", K::Caption, Tr("&Letters", "&Betük", "&Buchstaben", "&Lettres", "&Lettere", "&Letras", "&Letras")},
    {"MenuFigures", K::Caption,
     Tr("&Figures", "&Számok", "&Ziffern", "&Chiffres", "&Numeri", "&Algarismos", "&Cifras")},
    {"MenuStops", K::Caption,
     Tr("&Stops", "Í&rásjelek", "&Satzzeichen", "&Ponctuation", "&Punteggiatura", "&Pontuação", "&Puntuación")},
    {"MenuLocal", K::Caption, Tr("L&ocal", "&Helyi", "L&okal", "L&ocaux", "L&ocali", "L&ocais", "L&ocales")},
    {"MenuLettersFigures", K::Caption,
     Tr("L&etters + Figures", "B&etük + számok", "B&uchstaben + Ziffern", "L&ettres + chiffres",
        "L&ettere + numeri", "L&etras + algarismos", "L&etras + cifras")},
    {"MenuAll", K::Caption, Tr("&All", "&Mind", "&Alle", "&Tous", "&Tutti", "&Todos", "&Todos")},
    {"MenuChoixCaracteres", K::Caption,
     Tr("&Chosen characters", "&Választott karakterek", "&Gewählte Zeichen", "&Caractères choisis",
        "&Caratteri scelti", "&Caracteres escolhidos", "&Caracteres elegidos")},
    {"MenuListWords", K::Caption,
     Tr("Vocabulary", "Szókincs", "Wortschatz", "Vocabulaire", "Vocabolario", "Vocabulário", "Vocabulario")},
    {"MenuAddV", K::Caption,
     Tr("Add &VVVVV", "&VVVVV hozzáadása", "&VVVVV voranstellen", "Ajouter &VVVVV", "Aggiungi &VVVVV",
        "Adicionar &VVVVV", "Añadir &VVVVV")},
    {"MenuWordslength", K::Caption,
     Tr("&Word options", "&Szó beállítások", "&Wortoptionen", "Options des &mots", "Opzioni &parole",
        "Opções de &palavras", "Opciones de &palabras")},
    {"MenuFixedWords2", K::Caption,
     Tr("&2 character length", "&2 karakter hosszú", "&2 Zeichen lang", "&2 caractères", "&2 caratteri",
        "&2 caracteres", "&2 caracteres")},
    {"MenuFixedWords3", K::Caption,
     Tr("&3 character length", "&3 karakter hosszú", "&3 Zeichen lang", "&3 caractères", "&3 caratteri",
        "&3 caracteres", "&3 caracteres")},
    {"MenuFixedWords4", K::Caption,
     Tr("&4 character length", "&4 karakter hosszú", "&4 Zeichen lang", "&4 caractères", "&4 caratteri",
        "&4 caracteres", "&4 caracteres")},
    {"MenuFixedWords5", K::Caption,
     Tr("&5 character length", "&5 karakter hosszú", "&5 Zeichen lang", "&5 caractères", "&5 caratteri",
        "&5 caracteres", "&5 caracteres")},
    {"MenuFixedWords6", K::Caption,
     Tr("&6 character length", "&6 karakter hosszú", "&6 Zeichen lang", "&6 caractères", "&6 caratteri",
        "&6 caracteres", "&6 caracteres")},
    {"MenuFixedWords7", K::Caption,
     Tr("&7 character length", "&7 karakter hosszú", "&7 Zeichen lang", "&7 caractères", "&7 caratteri",
        "&7 caracteres", "&7 caracteres")},
    {"MenuFixedWords8", K::Caption,
     Tr("&8 character length", "&8 karakter hosszú", "&8 Zeichen lang", "&8 caractères", "&8 caratteri",
        "&8 caracteres", "&8 caracteres")},
    {"MenuRandomWords", K::Caption,
     Tr("&Random length (2 to 8)", "&Véletlen hossz (2-töl 8-ig)", "&Zufällige Länge (2 bis 8)",
        "Longueur &aléatoire (2 à 8)", "Lunghezza &casuale (da 2 a 8)", "Comprimento &aleatório (2 a 8)",
        "Longitud &aleatoria (2 a 8)")},
    {"MenuWordContent", K::Caption,
     Tr("Non-mixed characters", "Nem kevert karakterek", "Nicht gemischte Zeichen", "Caractères non mélangés",
        "Caratteri non misti", "Caracteres não misturados", "Caracteres no mezclados")},
    {"menuCallsigns", K::Caption,
     Tr("Callsigns", "Hívójelek", "Rufzeichen", "Indicatifs", "Nominativi", "Indicativos", "Indicativos")},
    {"MenuHide", K::Caption,
     Tr("Always hide when playing", "Lejátszáskor mindig elrejt", "Beim Abspielen immer verbergen",
        "Toujours cacher pendant la lecture", "Nascondi sempre durante l'esecuzione", "Esconder sempre ao tocar",
        "Ocultar siempre al reproducir")},
    {"menuShow", K::Caption,
     Tr("Always show when stop playing", "Leállításkor mindig mutat", "Beim Stoppen immer anzeigen",
        "Toujours montrer à l'arrêt", "Mostra sempre all'arresto", "Mostrar sempre ao parar",
        "Mostrar siempre al detener")},
    {"MenuCacherText", K::Caption,
     Tr("Always hide when playing File", "Fájl lejátszásakor mindig elrejt", "Datei beim Abspielen immer verbergen",
        "Toujours cacher le fichier pendant la lecture", "Nascondi sempre il file durante l'esecuzione",
        "Esconder sempre o ficheiro ao tocar", "Ocultar siempre el archivo al reproducir")},
    {"menuMontrerText", K::Caption,
     Tr("Always show when stopping File", "Fájl leállításakor mindig mutat", "Datei beim Stoppen immer anzeigen",
        "Toujours montrer le fichier à l'arrêt", "Mostra sempre il file all'arresto",
        "Mostrar sempre o ficheiro ao parar", "Mostrar siempre el archivo al detener")},
    {"menulowercase", K::Caption,
     Tr("Lowercase", "Kisbetük", "Kleinbuchstaben", "Minuscules", "Minuscole", "Minúsculas", "Minúsculas")},
    {"MenuDelaiRandom", K::Caption,
     Tr("Start delay", "Indítási késleltetés", "Startverzögerung", "Délai de départ", "Ritardo di avvio",
        "Atraso de início", "Retardo de inicio")},
    {"MenuDelaiRandom0", K::Caption, SecondsCaptions[0]},
    {"MenuDelaiRandom1", K::Caption, SecondsCaptions[1]},
    {"MenuDelairandom2", K::Caption, SecondsCaptions[2]},
    {"MenuDelaiRandom3", K::Caption, SecondsCaptions[3]},
    {"MenudelaiRandom4", K::Caption, SecondsCaptions[4]},
    {"MenuDelaiRandom5", K::Caption, SecondsCaptions[5]},
    {"Poprandom0", K::Caption, SecondsCaptions[0]},
    {"Poprandom1", K::Caption, SecondsCaptions[1]},
    {"Poprandom2", K::Caption, SecondsCaptions[2]},
    {"Poprandom3", K::Caption, SecondsCaptions[3]},
    {"Poprandom4", K::Caption, SecondsCaptions[4]},
    {"Poprandom5", K::Caption, SecondsCaptions[5]},
    {"MenuReplayRandom", K::Caption,
     Tr("Right click on Play replays the series", "Jobb kattintás a Lejátszásra: a sorozat ismétlése",
        "Rechtsklick auf Abspielen wiederholt die Serie", "Clic droit sur Jouer rejoue la série",
        "Clic destro su Suona ripete la serie", "Clique direito em Tocar repete a série",
        "Clic derecho en Reproducir repite la serie")},
    {"MenuQuickRandom", K::Caption,
     Tr("&Generate a quick MemoRandom ", "&Gyors MemoRandom készítése ", "Schnelles MemoRandom &erzeugen ",
        "&Générer un MemoRandom rapide ", "&Genera un MemoRandom rapido ", "&Gerar um MemoRandom rápido ",
        "&Generar un MemoRandom rápido ")},
    {"ClearMemoRandom", K::Caption,
     Tr("&Clear MemoRandom", "MemoRandom &törlése", "MemoRandom &löschen", "&Effacer MemoRandom",
        "&Cancella MemoRandom", "&Apagar MemoRandom", "&Borrar MemoRandom")},
    {"SaveMemoRandom1", K::Caption,
     Tr("&Save MemoRandom", "MemoRandom &mentése", "MemoRandom &speichern", "&Enregistrer MemoRandom",
        "&Salva MemoRandom", "&Guardar MemoRandom", "&Guardar MemoRandom")},

    // Hints
    {"MemoRandom", K::Hint,
     Tr("Random characters are played and displayed", "A véletlen karakterek szólnak és megjelennek",
        "Zufallszeichen werden gespielt und angezeigt", "Les caractères aléatoires sont joués et affichés",
        "I caratteri casuali vengono suonati e mostrati", "Os caracteres aleatórios são tocados e mostrados",
        "Los caracteres aleatorios se reproducen y se muestran")},
    {"BoxCaracteresChoix", K::Hint,
     Tr("Double-click to enter the lesson. Right click to create or to modify the selected lesson",
        "Dupla kattintás: a lecke indítása. Jobb kattintás: a kijelölt lecke létrehozása vagy módosítása",
        "Doppelklick, um die Lektion zu wählen. Rechtsklick, um die gewählte Lektion anzulegen oder zu ändern",
        "Double-clic pour choisir la leçon. Clic droit pour créer ou modifier la leçon choisie",
        "Doppio clic per scegliere la lezione. Clic destro per creare o modificare la lezione scelta",
        "Duplo clique para escolher a lição. Clique direito para criar ou modificar a lição escolhida",
        "Doble clic para elegir la lección. Clic derecho para crear o modificar la lección elegida")},
    {"SpeedButtonRandomCase", K::Hint, Alike("A<=>a")},
    {"SpeedButtonRandomCase", K::Caption, Alike("A/a")},
    {"SpeedButtonRAZrandom", K::Hint,
     Tr("Clear the random text", "A véletlen szöveg törlése", "Zufallstext löschen", "Effacer le texte aléatoire",
        "Cancella il testo casuale", "Apagar o texto aleatório", "Borrar el texto aleatorio")},
    {"ButtonHide", K::Hint,
     Tr("Hide or show the random text (right click: options)", "A véletlen szöveg elrejtése vagy mutatása (jobb kattintás: beállítások)",
        "Zufallstext verbergen oder anzeigen (Rechtsklick: Optionen)",
        "Cacher ou montrer le texte aléatoire (clic droit : options)",
        "Nascondi o mostra il testo casuale (clic destro: opzioni)",
        "Esconder ou mostrar o texto aleatório (clique direito: opções)",
        "Ocultar o mostrar el texto aleatorio (clic derecho: opciones)")},
};

static_assert(allLanguagesPresent(kRows, [](const TextRow &row) -> const Tr & { return row.text; }),
              "every random-mode text needs its seven languages");

// The Play button's hint: the two states of a memo with text and a series stopped midway
// carry the continue line.
constexpr Tr kHintContinueReplay(
    "Click left to continue the current series\n\rClick right to replay the current series\n\rClear and click left to start a new series",
    "Kattintson bal az aktuális sorozat folytatásához\n\rKattintson jobb az elozo sorozat visszajátszásához\n\rTörölje és kattintson bal az új sorozatokhoz",
    "Linksklick, um aktuelle Serie fortzusetzen\n\rRechtsklick, um die vorherige Serie erneut abzuspielen\n\rLöschen und Linksklick für neue Serie",
    "Clic gauche pour continuer cette serie\n\rClick droit pour rejouer la série en cours\n\rEffacer et clic gauche pour nouvelle serie",
    "Clic sinistro per continuare la serie corrente\n\rClic destro per riprodurre la serie precedente\n\rCancella e clic sinistro per nuova serie",
    "Clique esquerdo para continuar a série atual\n\rClique direito para reproduzir a série anterior\n\rApagar e clique esquerdo para nuova série",
    "Clic izquierdo para continuar con la serie actual\n\rClic derecho para reproducir la serie anterior\n\rBorrar e clic izquierdo para nueva serie");
constexpr Tr kHintReplay(
    "Click left to start a new series\n\rClick right to replay the previous series",
    "Kattintson bal az új sorozatokhoz\n\rKattintson jobb az elozo sorozat visszajátszásához",
    "Linksklick für neue Serie\n\rRechtsklick, um die vorherige Serie erneut abzuspielen",
    "Clic gauche pour nouvelle serie\n\rClick droit pour rejouer la série précédente",
    "Clic sinistro per nuova serie\n\rClic destro per riprodurre la serie precedente",
    "Clique esquerdo para nuova série\n\rClique direito para reproduzir a série anterior",
    "Clic izquierdo para nueva serie\n\rClic derecho para reproducir la serie anterior");
constexpr Tr kHintContinue(
    "Click left to continue the current series\n\rClick right to start a new series",
    "Kattintson bal az aktuális sorozat folytatásához\n\rKattintson jobb az új sorozatokhoz",
    "Linksklick, um aktuelle Serie fortzusetzen\n\rRechtsklick für neue Serie",
    "Clic gauche pour continuer la série actuelle\n\rClic droit pour nouvelle serie",
    "Clic sinistro per continuare la serie corrente\n\rClic destro per nuova serie",
    "Clique esquerdo para continuar a série atual\n\rClique direito para nuova série",
    "Clic izquierdo para continuar con la serie actual\n\rClic derecho para nueva serie");
constexpr Tr kHintNew("Click left to start a new series", "Kattintson bal az új sorozatokhoz",
                      "Linksklick für neue Serie", "Clic gauche pour nouvelle série",
                      "Clic sinistro per una nuova serie", "Clique esquerdo para nova série",
                      "Clic izquierdo para nueva serie");
constexpr Tr kHintEmpty("Click left to start a new series", "Új sorozatért kattintson a bal egérgombbal",
                        "Linksklick für neue Serie", "Clic gauche pour nouvelle serie",
                        "Clic sinistro per una nuova serie", "Clique esquerdo para nova série",
                        "Clic izquierdo para nueva serie");

} // namespace

std::span<const TextRow> RandomTextRows()
{
    return {std::begin(kRows), std::end(kRows)};
}

const Tr &PlayRandomHintRow(bool memoEmpty, bool replayOn, bool stoppedMid)
{
    if (memoEmpty)
        return kHintEmpty;
    if (replayOn)
        return stoppedMid ? kHintContinueReplay : kHintReplay;
    return stoppedMid ? kHintContinue : kHintNew;
}
