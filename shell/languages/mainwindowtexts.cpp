#include "shell/languages/mainwindowtexts.h"

#include <iterator>

namespace {

using K = TextKind;

// Columns: English, Magyar, Deutsch, Français, Italiano, Português, Español.
constexpr Tr kTitle("KESTRELON 5.2.9 - THE  MORSE  CODE  TEACHER  &  TRAINER",
                    "KESTRELON 5.2.9 - MORZE-KÓD TANITÓ ÉS EDZÖ", "KESTRELON 5.2.9 - DIE  MORSE  CODE  AKADEMIE",
                    "KESTRELON 5.2.9 - APPRENTISSAGE  ET  ENTRAINEMENT  AU  CODE  MORSE",
                    "KESTRELON 5.2.9 - VI INSEGNA IL CODICE MORSE E VI ALLENA",
                    "KESTRELON 5.2.9 - APRENDIZAGEM E TREINO DE CÓDIGO MORSE",
                    "KESTRELON 5.2.9 - EL PROFESOR Y ENTRENADOR DE CÓDIGO MORSE");

constexpr Tr kLessonSetKoch("The current set of lessons is: KOCH", "A leckék jelenlegi sorozata: KOCH",
                            "Die aktuelle Lektionserie ist: KOCH", "Jeu de leçons actuel : KOCH",
                            "L'attuale serie di lezioni è: KOCH", "O conjunto atual de lições é: KOCH",
                            "El conjunto actual de lecciones es: KOCH");
constexpr Tr kLessonSetLocal("The current set of lessons is: LOCAL", "A leckék jelenlegi sorozata: HELYI",
                             "Die aktuelle Lektionserie ist: LOKAL", "Jeu de leçons actuel : LOCAL",
                             "L'attuale serie di lezioni è: LOCALE", "O conjunto atual de lições é: LOCAIS",
                             "El conjunto actual de lecciones es: LOCAL");

constexpr Tr kShortcutPageFull("Shortcut page is full !", "A rövidítések oldala megtelt !",
                               "Die Kürzelseite ist voll !", "La page des raccourcis est pleine !",
                               "La pagina delle scorciatoie è piena !", "A página de atalhos está cheia !",
                               "La página de atajos está llena!");

// The quiz's start button (ButtonQuizOK), which the Quit button also gives back its caption.
constexpr Tr kQuizPlay("PLAY", "LEJÁTSZÁS", "ABSPIELEN", "JOUER", "SUONA", "TOCAR", "REPROD.");

constexpr Tr kNegativeLogic("Neg. logic", "Neg. logika", "Neg. Logik", "Logique nég.", "Logica neg.",
                            "Lógica neg.", "Lógica neg.");
constexpr Tr kNone("NONE", "NINCS", "KEINER", "AUCUN", "NESSUNA", "NENHUMA", "NINGUNO");
constexpr Tr kContinued("    to be cont'd on next page", "    folytatás a következö oldalon",
                        "    Fortsetzung auf der nächsten Seite", "    suite page suivante",
                        "    continua alla pagina seguente", "    continua na página seguinte",
                        "    continúa en la página siguiente");

// The four face images share one hint.
constexpr Tr kFaceHint("Click the image to hide it or to show it",
                       "Kattints a képre az elrejtéséhez vagy megjelenítéséhez",
                       "Klicken Sie auf das Bild, um es zu verbergen oder anzuzeigen",
                       "Cliquez sur l'image pour la cacher ou la montrer",
                       "Cliccate sull'immagine per nasconderla o mostrarla", "Clique na imagem para a esconder ou mostrar",
                       "Haga clic en la imagen para ocultarla o mostrarla");

// In the order every switch writes them: labels, buttons, check boxes, radio buttons, radio
// groups, group boxes and panels, static texts, menu items, hints, list rows.
constexpr TextRow kRows[] = {
    // Labels
    {"LabelPanelEspace", K::Caption, Tr("SPACING", "TÉRKÖZÖK", "ABSTÄNDE", "ESPACEMENT", "SPAZIATURA", "ESPAÇAMENTO", "ESPACIADO")},
    {"LabelNombreEspace", K::Caption,
     Tr("Number of spaces between characters (one space= 3 dots)", "Szóközök száma a karakterek között (egy szóköz= 3 pont)",
        "Anzahl der Abstände zwischen Zeichen (ein Abstand= 3 Punkte)",
        "Nombre d'espaces entre caractères (un espace= 3 points)",
        "Numero di spazi tra i caratteri (uno spazio= 3 punti)",
        "Número de espaços entre caracteres (um espaço= 3 pontos)",
        "Número de espacios entre caracteres (un espacio= 3 puntos)")},
    {"LabelEspaceMots", K::Caption,
     Tr("Number of spaces between words (one space= 7 dots)", "Szóközök száma a szavak között (egy szóköz= 7 pont)",
        "Anzahl der Abstände zwischen Wörtern (ein Abstand= 7 Punkte)",
        "Nombre d'espaces entre mots (un espace= 7 points)", "Numero di spazi tra le parole (uno spazio= 7 punti)",
        "Número de espaços entre palavras (um espaço= 7 pontos)",
        "Número de espacios entre palabras (un espacio= 7 puntos)")},
    {"LabelEspaceMotsFin", K::Caption,
     Tr("Fine adjustment (0..6 dots)", "Finomhangolás (0..6 pont)", "Feineinstellung (0..6 Punkte)",
        "Réglage fin (0..6 points)", "Regolazione fine (0..6 punti)", "Ajuste fino (0..6 pontos)",
        "Ajuste fino (0..6 puntos)")},
    {"LabelLeadingSpace", K::Caption,
     Tr("Pause before each character (one space= 3 dots)", "Szünet minden karakter elött (egy szóköz= 3 pont)",
        "Pause vor jedem Zeichen (ein Abstand= 3 Punkte)", "Pause avant chaque caractère (un espace= 3 points)",
        "Pausa prima di ogni carattere (uno spazio= 3 punti)", "Pausa antes de cada caractere (um espaço= 3 pontos)",
        "Pausa antes de cada carácter (un espacio= 3 puntos)")},
    {"LabelSpaceBug", K::Caption,
     Tr("Silence before the first character (dots)", "Csend az elsö karakter elött (pont)",
        "Stille vor dem ersten Zeichen (Punkte)", "Silence avant le premier caractère (points)",
        "Silenzio prima del primo carattere (punti)", "Silêncio antes do primeiro caractere (pontos)",
        "Silencio antes del primer carácter (puntos)")},
    {"LabelLocalWarning", K::Caption,
     Tr("Standard characters cannot be modified (pages 1 and 2 of Alphabet)",
        "A szabványos karakterek nem módosíthatók (az ábécé 1. és 2. oldala)",
        "Standardzeichen können nicht geändert werden (Seiten 1 und 2 des Alphabets)",
        "Les caractères standard ne peuvent pas être modifiés (pages 1 et 2 de l'alphabet)",
        "I caratteri standard non si possono modificare (pagine 1 e 2 dell'alfabeto)",
        "Os caracteres padrão não podem ser modificados (páginas 1 e 2 do alfabeto)",
        "Los caracteres estándar no se pueden modificar (páginas 1 y 2 del alfabeto)")},
    {"LabelPanelPort", K::Caption,
     Tr("KEYING PORTS", "BILLENTYÜZÖ PORTOK", "TASTUNGSPORTS", "PORTS DE MANIPULATION", "PORTE DI MANIPOLAZIONE",
        "PORTAS DE MANIPULAÇÃO", "PUERTOS DE MANIPULACIÓN")},
    {"TitreCarteSon", K::Caption,
     Tr("SOUND CARD", "HANGKÁRTYA", "SOUNDKARTE", "CARTE SON", "SCHEDA AUDIO", "PLACA DE SOM", "TARJETA DE SONIDO")},
    {"LabelSonIn", K::Caption, Tr("In", "Be", "Ein", "Entrée", "Ingresso", "Entrada", "Entrada")},
    {"LabelSonOut", K::Caption, Tr("Out", "Ki", "Aus", "Sortie", "Uscita", "Saída", "Salida")},

    // Buttons
    {"ButtonLocalCaractereEnter", K::Caption, Tr("Enter", "Bevitel", "Eingabe", "Valider", "Invio", "Confirmar", "Aceptar")},
    {"ButtonLocalCaractereExit", K::Caption, Tr("Exit", "Kilépés", "Beenden", "Sortir", "Esci", "Sair", "Salir")},
    {"ButtonQuitter", K::Caption, Tr("&Quit", "&Kilépés", "&Beenden", "&Quitter", "&Esci", "&Sair", "&Salir")},
    {"ButtonQuizOK", K::Caption, kQuizPlay},
    {"ButtonCloseCarteSon", K::Caption, Alike("X")},
    {"ButtonStop", K::Caption, Tr("Stop", "Állj", "Stopp", "Arrêt", "Stop", "Parar", "Detener")},

    // Check boxes
    {"CheckBoxMP3", K::Caption,
     Tr("Open WAV to MP3 converter after creation of WAV file", "WAV fájl után a WAV-MP3 átalakító megnyitása",
        "WAV-zu-MP3-Konverter nach dem Erstellen der WAV-Datei öffnen",
        "Ouvrir le convertisseur WAV-MP3 après création du fichier WAV",
        "Aprire il convertitore WAV-MP3 dopo la creazione del file WAV",
        "Abrir o conversor WAV para MP3 depois de criar o ficheiro WAV",
        "Abrir el conversor WAV a MP3 tras crear el archivo WAV")},
    {"CheckBoxPin1", K::Caption, kNegativeLogic},
    {"CheckBoxPin14", K::Caption, kNegativeLogic},
    {"CheckBoxPin16", K::Caption, kNegativeLogic},
    {"CheckBoxPin17", K::Caption, kNegativeLogic},

    // Radio buttons
    {"RadioButtonAlphabet", K::Caption,
     Tr("Characters", "Karakterek", "Zeichen", "Caractères", "Caratteri", "Caracteres", "Caracteres")},
    {"RadioButtonCodeQ", K::Caption, Tr("Q codes", "Q-kódok", "Q-Codes", "Codes Q", "Codici Q", "Códigos Q", "Códigos Q")},
    {"RadioButtonAbrev", K::Caption,
     Tr("Abbreviations", "Rövidítések", "Abkürzungen", "Abréviations", "Abbreviazioni", "Abreviaturas", "Abreviaturas")},
    {"RadioButtonRandom", K::Caption, Tr("Random", "Véletlen", "Zufall", "Aléatoire", "Casuale", "Aleatório", "Aleatorio")},
    {"RadioButtonFile", K::Caption, Tr("File", "Fájl", "Datei", "Fichier", "File", "Ficheiro", "Archivo")},
    {"RadioButtonQuiz", K::Caption, Tr("Quiz", "Kvíz", "Quiz", "Quiz", "Quiz", "Quiz", "Quiz")},
    {"RadioButtonMonitor", K::Caption,
     Tr("Monitor", "Monitor", "Monitor", "Moniteur", "Monitor", "Monitor", "Monitor")},
    {"RadioButtonLocalCreate", K::Caption, Tr("Create", "Létrehozás", "Anlegen", "Créer", "Crea", "Criar", "Crear")},
    {"RadioButtonLocalDelete", K::Caption, Tr("Delete", "Törlés", "Löschen", "Supprimer", "Elimina", "Apagar", "Borrar")},
    {"RadioButtonLocalModify", K::Caption, Tr("Modify", "Módosítás", "Ändern", "Modifier", "Modifica", "Modificar", "Modificar")},
    // The system chooses the devices: on this system its default devices.
    {"RadioButtonCarteWin", K::Caption,
     Tr("System default", "Rendszer alapértelmezett", "Systemstandard", "Défaut du système", "Predefinita di sistema",
        "Padrão do sistema", "Predeterminada del sistema")},
    {"RadioButtonCarteMoi", K::Caption,
     Tr("My choice", "Saját választás", "Eigene Wahl", "Mon choix", "Mia scelta", "Minha escolha", "Mi elección")},

    // Radio groups
    {"RadioGroupLocal", K::Caption, Tr("Action", "Müvelet", "Aktion", "Action", "Azione", "Ação", "Acción")},
    {"RadioGroupTXDelay", K::Caption,
     Tr("TX Delay", "TX késleltetés", "TX-Verzögerung", "Délai TX", "Ritardo TX", "Atraso TX", "Retardo TX")},
    {"RadioGroupCOM", K::Item, 0, kNone},
    {"RadioGroupLPT", K::Item, 0, kNone},

    // Group boxes and panels
    {"OnairBox", K::Caption, Tr("On air", "Adásban", "Auf Sendung", "En l'air", "In onda", "No ar", "En el aire")},

    // Menu items
    {"Language1", K::Caption, Tr("&Language", "&Nyelv", "&Sprache", "&Langue", "&Lingua", "&Idioma", "&Idioma")},
    {"MenuOutils", K::Caption, Tr("&Tools", "&Eszközök", "&Werkzeuge", "&Outils", "&Strumenti", "&Ferramentas", "&Herramientas")},
    {"MenuHelp", K::Caption, Tr("&Help", "&Súgó", "&Hilfe", "&Aide", "&Aiuto", "A&juda", "A&yuda")},
    {"MenuAgrandir", K::Caption, Tr("Enlarge", "Nagyítás", "Vergrößern", "Agrandir", "Ingrandisci", "Ampliar", "Ampliar")},
    {"MenuOutilsQuit", K::Caption, Tr("&Quit", "&Kilépés", "&Beenden", "&Quitter", "&Esci", "&Sair", "&Salir")},
    {"MenuPort", K::Caption, Tr("&Port", "&Port", "&Port", "&Port", "&Porta", "&Porta", "&Puerto")},
    {"MenuDelayedPlay", K::Caption,
     Tr("&Delayed Play", "&Késleltetett lejátszás", "&Verzögertes Abspielen", "Lecture &différée",
        "Esecuzione &ritardata", "Reprodução &diferida", "Reproducción &diferida")},
    {"MenuContinuous", K::Caption,
     Tr("Continuous &Replay", "Folyamatos &ismétlés", "&Endlos wiederholen", "&Répétition continue",
        "&Ripetizione continua", "&Repetição contínua", "&Repetición continua")},
    {"MenuDiversEnter", K::Caption,
     Tr("Enter key stops Random and Quiz modes", "Az Enter leállítja a véletlen és a kvíz módot",
        "Eingabetaste stoppt Zufalls- und Quizmodus", "La touche Entrée arrête les modes Aléatoire et Quiz",
        "Il tasto Invio ferma le modalità Casuale e Quiz", "A tecla Enter para os modos Aleatório e Quiz",
        "La tecla Intro detiene los modos Aleatorio y Quiz")},
    {"MenuSonFermeture", K::Caption,
     Tr("Play system sound when Random and Quiz stop", "Rendszerhang a véletlen és a kvíz mód végén",
        "Systemklang am Ende von Zufall und Quiz", "Son système à l'arrêt des modes Aléatoire et Quiz",
        "Suono di sistema alla fine di Casuale e Quiz", "Som do sistema no fim de Aleatório e Quiz",
        "Sonido del sistema al terminar Aleatorio y Quiz")},
    {"MenuSoundCard", K::Caption,
     Tr("Sound card", "Hangkártya", "Soundkarte", "Carte son", "Scheda audio", "Placa de som", "Tarjeta de sonido")},
    {"MenuDeleteClick", K::Caption,
     Tr("MONITORING : Tune enhancement wrt local sound card", "MONITOROZÁS : Hangolás javítása a helyi hangkártyához",
        "MONITOR : Abstimmung an die lokale Soundkarte anpassen",
        "MONITORING : Amélioration de l'accord selon la carte son locale",
        "MONITORAGGIO : Sintonia migliorata per la scheda audio locale",
        "MONITORIZAÇÃO : Sintonia melhorada para a placa de som local",
        "MONITORIZACIÓN : Sintonía mejorada según la tarjeta de sonido local")},
    {"UpSpeed", K::Caption, Tr("Up", "Fel", "Schneller", "Plus vite", "Più veloce", "Mais rápido", "Más rápido")},
    {"DownSpeed", K::Caption, Tr("Down", "Le", "Langsamer", "Moins vite", "Più lento", "Mais lento", "Más lento")},
    {"Poids31", K::Caption, Tr("&3/1 normal", "&3/1 normál", "&3/1 normal", "&3/1 normal", "&3/1 normale", "&3/1 normal", "&3/1 normal")},
    {"Poids41", K::Caption, Tr("&4/1", "&4/1", "&4/1", "&4/1", "&4/1", "&4/1", "&4/1")},
    // The release check's menu entry; its sub-item carries the version number and is not
    // rewritten by a switch.
    {"MenunewVersion", K::Caption,
     Tr("New release available !", "Új kiadás érhetö el !", "Neue Version verfügbar !", "Nouvelle version disponible !",
        "Nuova versione disponibile !", "Nova versão disponível !", "Nueva versión disponible!")},
    {"Poids51", K::Caption, Tr("&5/1", "&5/1", "&5/1", "&5/1", "&5/1", "&5/1", "&5/1")},

    // Hints
    {"Editcaractere", K::Hint,
     Tr("Only characters having a morse code are played", "Csak a morzekóddal bíró karakterek szólnak",
        "Nur Zeichen mit einem Morsecode werden gespielt", "Seuls les caractères ayant un code morse sont joués",
        "Si suonano solo i caratteri che hanno un codice morse",
        "Só são tocados os caracteres que têm código morse",
        "Solo se reproducen los caracteres con código morse")},
    {"SpeedButtonRAZtext", K::Hint,
     Tr("Clear text", "Szöveg törlése", "Text löschen", "Effacer le texte", "Cancella il testo", "Apagar o texto",
        "Borrar el texto")},
    {"ButtonReplayText", K::Hint,
     Tr("Replay the typed text", "A begépelt szöveg ismétlése", "Getippten Text wiederholen",
        "Rejouer le texte tapé", "Riesegui il testo digitato", "Repetir o texto escrito",
        "Reproducir de nuevo el texto escrito")},
    {"ButtonQuitter", K::Hint, Tr("Quit KESTRELON", "Kilépés a KESTRELON-ból", "KESTRELON beenden",
                                  "Quitter KESTRELON", "Uscire da KESTRELON", "Sair do KESTRELON", "Salir de KESTRELON")},
    {"ButtonStop", K::Hint, Tr("Stop playing", "Lejátszás leállítása", "Abspielen stoppen", "Arrêter de jouer",
                               "Ferma il suono", "Parar a reprodução", "Detener la reproducción")},
    {"OnairBox", K::Hint,
     Tr("PTT ON when lit", "PTT BE, ha világít", "PTT EIN, wenn beleuchtet", "PTT actif si allumé",
        "PTT attivo se acceso", "PTT ligado quando aceso", "PTT activo si está encendido")},
    {"UpDownAmplitude", K::Hint, Tr("Volume", "Hangerö", "Lautstärke", "Volume", "Volume", "Volume", "Volumen")},
    {"Visage0", K::Hint, kFaceHint},
    {"VisageHa", K::Hint, kFaceHint},
    {"VisageHo", K::Hint, kFaceHint},
    {"VisageNoir", K::Hint, kFaceHint},

    // ListAlphabet heading rows; the rows between them are characters and stay.
    {"ListAlphabet", K::Item, 0,
     Tr("    LETTERS", "    BETÜK", "    BUCHSTABEN", "    LETTRES", "    LETTERE", "    LETRAS", "    LETRAS")},
    {"ListAlphabet", K::Item, 1,
     Tr("    =======", "    =====", "    ==========", "    =======", "    =======", "    ======", "    ======")},
    {"ListAlphabet", K::Item, 30, kContinued},
    {"ListAlphabet", K::Item, 31,
     Tr("    FIGURES", "    SZÁMOK", "    ZIFFERN", "    CHIFFRES", "    NUMERI", "    ALGARISMOS", "    CIFRAS")},
    {"ListAlphabet", K::Item, 32,
     Tr("    =======", "    ======", "    =======", "    ========", "    ======", "    ==========", "    ======")},
    {"ListAlphabet", K::Item, 46,
     Tr("    STOPS", "    ÍRÁSJELEK", "    SATZZEICHEN", "    PONCTUATION", "    PUNTEGGIATURA", "    PONTUAÇÃO",
        "    PUNTUACIÓN")},
    {"ListAlphabet", K::Item, 47,
     Tr("    =====", "    =========", "    ===========", "    ===========", "    =============", "    =========",
        "    ==========")},
    {"ListAlphabet", K::Item, 61, kContinued},
    {"ListAlphabet", K::Item, 62,
     Tr("    SPECIAL CHARACTERS", "    KÜLÖNLEGES JELEK", "    SONDERZEICHEN", "    CARACTERES SPECIAUX",
        "    CARATTERI SPECIALI", "    CARACTERES ESPECIAIS", "    CARACTERES ESPECIALES")},
    {"ListAlphabet", K::Item, 63,
     Tr("    ==================", "    ================", "    =============", "    ===================",
        "    ==================", "    ====================", "    =====================")},
    {"ListAlphabet", K::Item, 65,
     Tr("       (Transmit, only you! \"(\" )", "       (Adás, csak te! \"(\" )", "       (Senden, nur Sie! \"(\" )",
        "       (Transmettez, vous seul ! \"(\" )", "       (Trasmettete, solo voi! \"(\" )",
        "       (Transmita, só você! \"(\" )", "       (Transmita, solo usted! \"(\" )")},
    {"ListAlphabet", K::Item, 67,
     Tr("       (Wait \"&\" )", "       (Várakozik \"&\" )", "       (Warten \"&\" )", "       (Attendez \"&\" )",
        "       (Attendete \"&\" )", "       (Esperar \"&\" )", "       (Espere \"&\" )")},
    {"ListAlphabet", K::Item, 69,
     Tr("       (Error \"<\" )", "       (Hiba \"<\" )", "       (Fehler \"<\" )", "       (Erreur \"<\" )",
        "       (Errore \"<\" )", "       (Erro \"<\" )", "       (Error \"<\" )")},
    {"ListAlphabet", K::Item, 71,
     Tr("       (End of work \">\" \"sk\")", "       (A munka vége \">\" \"sk\")", "       (Arbeitsende \">\" \"sk\")",
        "       (Fin de travail \">\" \"sk\")", "       (Fine della trasmissione \">\" \"sk\")",
        "       (Fim da transmissão \">\" \"sk\")", "       (Fin de transmisión \">\" \"sk\")")},
    {"ListAlphabet", K::Item, 73,
     Tr("       (Understood )", "       (Megértett )", "       (Verstanden )", "       (Compris )",
        "       (Capito )", "       (Entendido )", "       (Entendido )")},
    {"ListAlphabet", K::Item, 75,
     Tr("       (End of message \"+\")", "       (Üzenet vége \"+\")", "       (Ende der Nachricht \"+\")",
        "       (Fin de message \"+\")", "       (Fine del messaggio \"+\")", "       (Fim da mensagem \"+\")",
        "       (Fin del mensaje \"+\")")},
    {"ListAlphabet", K::Item, 77,
     Tr("       (Break)", "       (Break)", "       (Break)", "       (Break)", "       (Break)", "       (Break)",
        "       (Break)")},
    {"ListAlphabet", K::Item, 92, kContinued},
    {"ListAlphabet", K::Item, 93,
     Tr("    LOCAL CHARACTERS", "    HELYI KARAKTEREK", "    LOKALE ZEICHEN", "    CARACTERES LOCAUX",
        "    CARATTERI LOCALI", "    CARACTERES LOCAIS", "    CARACTERES LOCALES")},
    {"ListAlphabet", K::Item, 94,
     Tr("    ================", "    ================", "    ==============", "    =================",
        "    ================", "    =================", "    ==================")},
    {"ListAlphabet", K::Item, 95,
     Tr("    see Tools/Local characters", "    lásd Eszközök/Helyi karakterek", "    siehe Werkzeuge/Lokale Zeichen",
        "    voir Outils/Caractères locaux", "    vedere Strumenti/Caratteri locali",
        "    ver Ferramentas/Caracteres locais", "    ver Herramientas/Caracteres locales")},
    {"ListAlphabet", K::Item, 123, kContinued},
    {"ListAlphabet", K::Item, 124,
     Tr("    SHORTCUTS", "    RÖVIDÍTÉSEK", "    KÜRZEL", "    RACCOURCIS", "    SCORCIATOIE", "    ATALHOS",
        "    ATAJOS")},
    {"ListAlphabet", K::Item, 125,
     Tr("    =========", "    ===========", "    ======", "    ==========", "    ===========", "    =======",
        "    ======")},
    {"ListAlphabet", K::Item, 126,
     Tr("    see Tools/Shortcuts", "    lásd Eszközök/Rövidítések", "    siehe Werkzeuge/Kürzel",
        "    voir Outils/Raccourcis locaux", "    vedere Strumenti/Scorciatoie", "    ver Ferramentas/Atalhos",
        "    ver Herramientas/Atajos")},
};

static_assert(allLanguagesPresent(kRows, [](const TextRow &row) -> const Tr & { return row.text; }),
              "every main-window text needs its seven languages");
static_assert(allLanguagesPresent(std::initializer_list<Tr>{kTitle, kLessonSetKoch, kLessonSetLocal, kShortcutPageFull},
                                  [](const Tr &tr) -> const Tr & { return tr; }));

} // namespace

std::span<const TextRow> MainWindowTextRows()
{
    return {std::begin(kRows), std::end(kRows)};
}

namespace {
std::vector<std::span<const TextRow>> &registeredTables()
{
    static std::vector<std::span<const TextRow>> tables;
    return tables;
}
} // namespace

void RegisterMainWindowTexts(std::span<const TextRow> rows)
{
    for (const std::span<const TextRow> &table : registeredTables())
        if (table.data() == rows.data())
            return;
    registeredTables().push_back(rows);
}

std::vector<const TextRow *> AllMainWindowTextRows()
{
    std::vector<const TextRow *> rows;
    for (const TextRow &row : MainWindowTextRows())
        rows.push_back(&row);
    for (const std::span<const TextRow> &table : registeredTables())
        for (const TextRow &row : table)
            rows.push_back(&row);
    return rows;
}

const Tr &TitleRow()
{
    return kTitle;
}

const Tr &LessonSetCaption(bool koch)
{
    return koch ? kLessonSetKoch : kLessonSetLocal;
}

const Tr &ShortcutPageFullText()
{
    return kShortcutPageFull;
}

const Tr &QuizPlayCaption()
{
    return kQuizPlay;
}
