#include "shell/languages/messages.h"

#include "engine/cp1252.h"

namespace {

struct MessageEntry
{
    Msg id;
    const char *name;
    Tr text;
};

// Columns: English, Magyar, Deutsch, Français, Italiano, Português, Español.
constexpr MessageEntry kMessages[] = {
    {Msg::TxtReplayText, "TxtReplayText",
     Tr("Replay &Text", "Szöveg Ism.", "&Text wiederspln", "Rejouer le &Texte", "Riesegui &Testo",
        "Repetir o &texto", "Reprod. &texto")},
    {Msg::TxtResumeText, "TxtResumeText",
     Tr("Resume &Text", "Szöveg folytatása", "&Text weiterspln", "Suite du &Texte", "Continua &Testo",
        "Voltar o &texto", "Contin. &texto")},
    {Msg::TxtHide, "TxtHide", Tr("Hide", "Rejt", "Verbergen", "Cacher", "Nascondi", "Esconder", "Ocultar")},
    {Msg::TxtShow, "TxtShow", Tr("Show", "Mutat", "Anzeigen", "Montrer", "Mostra", "Mostrar", "Mostrar")},
    {Msg::TxtLessonSetHint, "TxtLessonSetHint",
     Tr("Alternatively, to change the set of lessons, use menu Tools/Lesson settings",
        "A leckesorozatot az Eszközök/Lecke beállítások menüben is cserélheted",
        "Die Lektionserie lässt sich auch im Menü Werkzeuge/Lektionseinstellungen wechseln",
        "Pour changer de jeu de leçons, vous pouvez aussi utiliser le menu Outils/Réglages des leçons",
        "In alternativa, per cambiare la serie di lezioni, usate il menu Strumenti/Impostazioni lezioni",
        "Em alternativa, para mudar o conjunto de lições, use o menu Ferramentas/Configuração das lições",
        "También puede cambiar el conjunto de lecciones con el menú Herramientas/Ajustes de lecciones")},
    {Msg::TxtMemoryGame, "TxtMemoryGame",
     Tr("Memory game", "Memóriajáték", "Memory-Spiel", "Jeu de mémoire", "Gioco di memoria",
        "Jogo da memória", "Juego de memoria")},
    {Msg::TxtEqualOccurrence, "TxtEqualOccurrence",
     Tr("(Equal occurrence)", "(Egyenlö gyakoriság)", "(Gleiche Häufigkeit)", "(Fréquence égale)",
        "(Frequenza uguale)", "(Frequência igual)", "(Frecuencia igual)")},
    {Msg::TxtLesson, "TxtLesson", Tr("Lesson", "Lecke", "Lektion", "Leçon", "Lezione", "Lição", "Lección")},
    {Msg::TxtLocal, "TxtLocal", Tr("local", "helyi", "lokal", "local", "locale", "locais", "local")},
    {Msg::TxtAudioDecoding, "TxtAudioDecoding",
     Tr("Audio decoding", "Hang dekódolás", "Audio-Dekodierung", "Décodage audio", "Decodifica audio",
        "Descodificação áudio", "Decodificación de audio")},
    {Msg::TxtAudioFilterHint, "TxtAudioFilterHint",
     Tr("Audio Filter\r\nClick right for settings", "Hangszürö\r\nJobb kattintás: beállítások",
        "Audiofilter\r\nRechtsklick für Einstellungen", "Filtre audio\r\nClic droit pour les réglages",
        "Filtro audio\r\nClic destro per le impostazioni", "Filtro áudio\r\nClique direito para configurar",
        "Filtro de audio\r\nClic derecho para ajustes")},
    {Msg::TxtAudioFilterKeysHint, "TxtAudioFilterKeysHint",
     Tr("Audio Filter\r\nCtrl+Up to increase fc\r\nCtrl+Down to decrease fc\r\nCtrl+Right to increase bw\r\n"
        "Ctrl+Left to decrease bw",
        "Hangszürö\r\nCtrl+Fel: fc növelése\r\nCtrl+Le: fc csökkentése\r\nCtrl+Jobbra: sávszélesség növelése\r\n"
        "Ctrl+Balra: sávszélesség csökkentése",
        "Audiofilter\r\nStrg+Auf: fc erhöhen\r\nStrg+Ab: fc verringern\r\nStrg+Rechts: bw erhöhen\r\n"
        "Strg+Links: bw verringern",
        "Filtre audio\r\nCtrl+Haut pour augmenter fc\r\nCtrl+Bas pour diminuer fc\r\nCtrl+Droite pour augmenter bw\r\n"
        "Ctrl+Gauche pour diminuer bw",
        "Filtro audio\r\nCtrl+Su per aumentare fc\r\nCtrl+Giù per diminuire fc\r\nCtrl+Destra per aumentare bw\r\n"
        "Ctrl+Sinistra per diminuire bw",
        "Filtro áudio\r\nCtrl+Cima para aumentar fc\r\nCtrl+Baixo para diminuir fc\r\nCtrl+Direita para aumentar bw\r\n"
        "Ctrl+Esquerda para diminuir bw",
        "Filtro de audio\r\nCtrl+Arriba para aumentar fc\r\nCtrl+Abajo para disminuir fc\r\n"
        "Ctrl+Derecha para aumentar bw\r\nCtrl+Izquierda para disminuir bw")},
    {Msg::MsgLessonTooLong, "MsgLessonTooLong",
     Tr("Maximum lesson length is 55 characters", "Egy lecke legfeljebb 55 karakter lehet",
        "Eine Lektion hat höchstens 55 Zeichen", "Une leçon a au plus 55 caractères",
        "Una lezione ha al massimo 55 caratteri", "Uma lição tem no máximo 55 caracteres",
        "Una lección tiene como máximo 55 caracteres")},
    {Msg::MsgTooManyLessons, "MsgTooManyLessons",
     Tr("The maximum number of lessons is 60", "Legfeljebb 60 lecke lehet", "Es gibt höchstens 60 Lektionen",
        "Le nombre maximum de leçons est 60", "Il numero massimo di lezioni è 60",
        "O número máximo de lições é 60", "El número máximo de lecciones es 60")},
    {Msg::MsgPleaseImportLessons, "MsgPleaseImportLessons",
     Tr("Please, import lessons", "Kérlek, importálj leckéket", "Bitte Lektionen importieren",
        "Veuillez importer des leçons", "Importate delle lezioni, per favore", "Por favor, importe lições",
        "Por favor, importe lecciones")},
    {Msg::TxtRealSpeed, "TxtRealSpeed",
     Tr("Real speed (wpm) = ", "Valós sebesség (wpm) = ", "Reale Geschwindigkeit (wpm) = ",
        "Vitesse réelle (mots/min) = ", "Velocità effettivo (ppm) = ", "Velocidade real (ppm) = ",
        "Velocidad effectiva (ppm) = ")},
    {Msg::TxtWordLength, "TxtWordLength",
     Tr("Word length= ", "Szóhossz= ", "Wortlänge= ", "Longueur des mots= ", "Lunghezza parole= ",
        "Comprimento das palavras= ", "Longitud de palabra= ")},
    {Msg::TxtRandomLength, "TxtRandomLength",
     Tr("Random", "Véletlen", "Zufällig", "Aléatoire", "Casuale", "Aleatório", "Aleatoria")},
    {Msg::TxtLeadingVs, "TxtLeadingVs",
     Tr("Leading Vs", "Kezdö V-k", "Mit V am Anfang", "Avec V en tête", "Con V iniziali", "Com V iniciais",
        "Con V iniciales")},
    {Msg::TxtNoLeadingVs, "TxtNoLeadingVs",
     Tr("No leading Vs", "Kezdö V-k nélkül", "Ohne V am Anfang", "Sans V en tête", "Senza V iniziali",
        "Sem V iniciais", "Sin V iniciales")},
    {Msg::TxtMixedCharacters, "TxtMixedCharacters",
     Tr("Mixed Characters", "Vegyes karakterek", "Gemischte Zeichen", "Caractères mélangés", "Caratteri misti",
        "Caracteres misturados", "Caracteres mezclados")},
    {Msg::TxtNonMixedCharacters, "TxtNonMixedCharacters",
     Tr("Non-mixed characters", "Nem vegyes karakterek", "Nicht gemischte Zeichen", "Caractères non mélangés",
        "Caratteri non misti", "Caracteres não misturados", "Caracteres no mezclados")},
    {Msg::TxtCallsigns, "TxtCallsigns",
     Tr("Callsigns", "Hívójelek", "Rufzeichen", "Indicatifs", "Nominativi", "Indicativos", "Indicativos")},
    {Msg::TxtCharacterSpacing, "TxtCharacterSpacing",
     Tr("Spacing between characters", "Karakterköz", "Zeichenabstand", "Espace entre caractères",
        "Spazio tra i caratteri", "Espaço entre caracteres", "Espacio entre caracteres")},
    {Msg::TxtCharactersRemaining, "TxtCharactersRemaining",
     Tr("Characters remaining ", "Hátralevö karakterek ", "Verbleibende Zeichen ", "Caractères restants ",
        "Caratteri rimanenti ", "Caracteres restantes ", "Caracteres restantes ")},
    {Msg::MsgFontNeedsScale100, "MsgFontNeedsScale100",
     Tr("To change the font, please set Enlarge to 100%", "A betütípus cseréjéhez állítsd a nagyítást 100%-ra",
        "Um die Schrift zu ändern, bitte Vergrößern auf 100% stellen",
        "Pour changer la police, réglez Agrandir sur 100%",
        "Per cambiare il carattere, impostate Ingrandisci al 100%",
        "Para mudar a fonte, ponha Ampliar em 100%", "Para cambiar la fuente, ponga Ampliar al 100%")},
    {Msg::MsgNotEnoughMemory, "MsgNotEnoughMemory",
     Tr("Not enough memory !", "Nincs elég memória !", "Nicht genug Speicher !", "Mémoire insuffisante !",
        "Memoria insufficiente !", "Memória insuficiente !", "Memoria insuficiente!")},
    {Msg::MsgCannotOpenSoundCard, "MsgCannotOpenSoundCard",
     Tr("Can't open the sound card !", "A hangkártya nem nyitható meg !", "Soundkarte kann nicht geöffnet werden !",
        "Impossible d'ouvrir la carte son !", "Impossibile aprire la scheda audio !",
        "Não é possível abrir a placa de som !", "No se puede abrir la tarjeta de sonido!")},
    {Msg::MsgLocalCharactersFull, "MsgLocalCharactersFull",
     Tr("The local characters page is full !", "A helyi karakterek oldala megtelt !",
        "Die Seite der lokalen Zeichen ist voll !", "La page des caractères locaux est pleine !",
        "La pagina dei caratteri locali è piena !", "A página de caracteres locais está cheia !",
        "La página de caracteres locales está llena!")},
    {Msg::MsgNoCharactersToPlay, "MsgNoCharactersToPlay",
     Tr("No morse characters to play !", "Nincs lejátszható morze karakter !", "Keine Morsezeichen zum Abspielen !",
        "Aucun caractère morse à jouer !", "Nessun carattere morse da suonare !",
        "Nenhum caractere morse para tocar !", "No hay caracteres morse para reproducir!")},
    {Msg::MsgStopRandomBeforeClearing, "MsgStopRandomBeforeClearing",
     Tr("Stop random before clearing !", "Törlés elött állítsd le a véletlen csoportokat !",
        "Zufallsgruppen vor dem Löschen stoppen !", "Arrêtez l'aléatoire avant d'effacer !",
        "Fermate i gruppi casuali prima di cancellare !", "Pare os grupos aleatórios antes de apagar !",
        "Detenga los grupos aleatorios antes de borrar!")},
    {Msg::MsgNothingToClear, "MsgNothingToClear",
     Tr("Nothing to clear !", "Nincs mit törölni !", "Nichts zu löschen !", "Rien à effacer !",
        "Niente da cancellare !", "Nada para apagar !", "Nada que borrar!")},
    {Msg::MsgNothingToCopy, "MsgNothingToCopy",
     Tr("Nothing to copy! Please select a text.", "Nincs mit másolni! Jelölj ki egy szöveget.",
        "Nichts zu kopieren! Bitte einen Text markieren.", "Rien à copier ! Veuillez sélectionner un texte.",
        "Niente da copiare! Selezionate un testo.", "Nada para copiar! Selecione um texto.",
        "Nada que copiar! Seleccione un texto.")},
    {Msg::MsgTextFileTooLong, "MsgTextFileTooLong",
     Tr("The Text file must have less than 10000 lines!", "A szövegfájl 10000 sornál rövidebb legyen!",
        "Die Textdatei muss weniger als 10000 Zeilen haben!", "Le fichier texte doit avoir moins de 10000 lignes !",
        "Il file di testo deve avere meno di 10000 righe!", "O ficheiro de texto deve ter menos de 10000 linhas!",
        "El archivo de texto debe tener menos de 10000 líneas!")},
    {Msg::MsgStopRandomBeforeRecording, "MsgStopRandomBeforeRecording",
     Tr("Stop random before recording !", "Felvétel elött állítsd le a véletlen csoportokat !",
        "Zufallsgruppen vor der Aufnahme stoppen !", "Arrêtez l'aléatoire avant d'enregistrer !",
        "Fermate i gruppi casuali prima di registrare !", "Pare os grupos aleatórios antes de gravar !",
        "Detenga los grupos aleatorios antes de grabar!")},
    {Msg::MsgNothingToRecord, "MsgNothingToRecord",
     Tr("Nothing to record !", "Nincs mit felvenni !", "Nichts aufzunehmen !", "Rien à enregistrer !",
        "Niente da registrare !", "Nada para gravar !", "Nada que grabar!")},
    {Msg::MsgCannotOpenFile, "MsgCannotOpenFile",
     Tr("Can't open the file !", "A fájl nem nyitható meg !", "Datei kann nicht geöffnet werden !",
        "Impossible d'ouvrir le fichier !", "Impossibile aprire il file !", "Não é possível abrir o ficheiro !",
        "No se puede abrir el archivo!")},
    {Msg::MsgWriteError, "MsgWriteError",
     Tr("Write error", "Írási hiba", "Schreibfehler", "Erreur d'écriture", "Errore di scrittura", "Erro de escrita",
        "Error de escritura")},
    {Msg::MsgFileError, "MsgFileError",
     Tr("File error", "Fájlhiba", "Dateifehler", "Erreur de fichier", "Errore di file", "Erro de ficheiro",
        "Error de archivo")},
    {Msg::MsgStopPlayingBeforeRecording, "MsgStopPlayingBeforeRecording",
     Tr("Stop playing before recording !", "Felvétel elött állítsd le a lejátszást !",
        "Spiel stoppen vor der Aufnahme !", "Arrêtez de jouer avant d'enregistrer !",
        "Arrestare il suono prima di registrare!", "Pare de executar antes de gravar !",
        "Detenga la reproducción antes de grabar!")},
    {Msg::MsgStopPlayingBeforeSoundCard, "MsgStopPlayingBeforeSoundCard",
     Tr("Stop playing before changing sound card !", "Hangkártya váltás elött a lejátszást állítsd le!",
        "Spiel stoppen vor Soundkarte-Änderung !", "Arrêtez de jouer avant de changer de carte son !",
        "Arrestare il suono prima di cambiare scheda audio!",
        "Pare de executar antes de modificar a placa de som !", "Stop playing before changing sound card!")},
    {Msg::MsgStartEndCharactersSame, "MsgStartEndCharactersSame",
     Tr("Starting and ending characters must be different !", "A kezdö és a záró karakter nem lehet azonos !",
        "Anfangs- und Endzeichen müssen verschieden sein !",
        "Les caractères de début et de fin doivent être différents !",
        "I caratteri di inizio e di fine devono essere diversi !",
        "Os caracteres de início e de fim devem ser diferentes !",
        "Los caracteres de inicio y de fin deben ser distintos!")},
    {Msg::MsgConfirmQuit, "MsgConfirmQuit",
     Tr("You quit ! Are you sure ?", "Biztosan kilépsz?", "Sie verlassen Kestrelon! Sind Sie sicher?",
        "Vous quittez ! Etes-vous sûr ?", "State uscendo dal programma ! Ne siete sicuri ?",
        "Pediu para sair ! Tem a certeza ?", "Sale del programa! Esta usted seguro?")},
    {Msg::MsgConfirmLocalOverBuiltin, "MsgConfirmLocalOverBuiltin",
     Tr("This character has already a built-in Morse code. Do you confirm its creation as local ?",
        "Ennek a karakternek már van beépített morzekódja. Megerösíted a létrehozását helyi karakterként ?",
        "Dieses Zeichen hat bereits einen eingebauten Morsecode. Soll es trotzdem als lokales Zeichen angelegt werden ?",
        "Ce caractère a déjà un code Morse intégré. Confirmez-vous sa création comme caractère local ?",
        "Questo carattere ha già un codice Morse incorporato. Confermate la sua creazione come locale ?",
        "Este caractere já tem um código Morse incorporado. Confirma a sua criação como local ?",
        "Este carácter ya tiene un código Morse incorporado. Confirma su creación como local?")},
    {Msg::MsgConfirmShortcutOverBuiltin, "MsgConfirmShortcutOverBuiltin",
     Tr("This character has already a built-in Morse code. Do you confirm the creation as shortcut ?",
        "Ennek a karakternek már van beépített morzekódja. Megerösíted a létrehozását rövidítésként ?",
        "Dieses Zeichen hat bereits einen eingebauten Morsecode. Soll es trotzdem als Kürzel angelegt werden ?",
        "Ce caractère a déjà un code Morse intégré. Confirmez-vous sa création comme raccourci ?",
        "Questo carattere ha già un codice Morse incorporato. Confermate la sua creazione come scorciatoia ?",
        "Este caractere já tem um código Morse incorporado. Confirma a sua criação como atalho ?",
        "Este carácter ya tiene un código Morse incorporado. Confirma su creación como atajos?")},
    {Msg::MsgCannotCreateSettings, "MsgCannotCreateSettings",
     Tr("Can't create kestrelon.ini !", "A kestrelon.ini nem hozható létre !",
        "kestrelon.ini kann nicht erstellt werden !", "Impossible de créer kestrelon.ini !",
        "Impossibile creare kestrelon.ini !", "Não é possível criar kestrelon.ini !",
        "No se puede crear kestrelon.ini!")},
    {Msg::MsgLptAddressCaution, "MsgLptAddressCaution",
     Tr("CAUTION ! Your LPT port address must be valid ! KESTRELON does not verify this address.",
        "FIGYELEM ! Az LPT port címének érvényesnek kell lennie ! A KESTRELON nem ellenörzi ezt a címet.",
        "ACHTUNG ! Die Adresse Ihres LPT-Ports muss gültig sein ! KESTRELON prüft diese Adresse nicht.",
        "ATTENTION ! L'adresse de votre port LPT doit être valide ! KESTRELON ne vérifie pas cette adresse.",
        "ATTENZIONE ! L'indirizzo della porta LPT deve essere valido ! KESTRELON non verifica questo indirizzo.",
        "ATENÇÃO ! O endereço da sua porta LPT deve ser válido ! O KESTRELON não verifica este endereço.",
        "ATENCIÓN! La dirección de su puerto LPT debe ser válida! KESTRELON no verifica esta dirección.")},
    {Msg::MsgNewerRelease, "MsgNewerRelease",
     Tr("A more recent release is available. See ", "Újabb kiadás érhetö el. Lásd: ",
        "Eine neuere Version ist verfügbar. Siehe ", "Une version plus récente est disponible. Voir ",
        "È disponibile una versione più recente. Vedere ", "Está disponível uma versão mais recente. Veja ",
        "Hay una versión más reciente disponible. Vea ")},
    {Msg::MsgLatestRelease, "MsgLatestRelease",
     Tr("You are using the latest release!", "A legújabb kiadást használod!", "Sie verwenden die neueste Version!",
        "Vous utilisez la dernière version !", "State usando l'ultima versione!", "Está a usar a versão mais recente!",
        "Está usando la última versión!")},
    {Msg::MsgAudioDecodingUnavailable, "MsgAudioDecodingUnavailable",
     Tr("Sound card error. Audio decoding unavailable. Check connections or other users then restart Kestrelon",
        "Hangkártya hiba. A hang dekódolás nem elérhetö. Ellenörizd a csatlakozásokat vagy a többi felhasználót, "
        "majd indítsd újra a Kestrelont",
        "Soundkartenfehler. Audio-Dekodierung nicht verfügbar. Verbindungen oder andere Benutzer prüfen, "
        "dann Kestrelon neu starten",
        "Erreur de carte son. Décodage audio indisponible. Vérifiez les connexions ou les autres utilisateurs "
        "puis redémarrez Kestrelon",
        "Errore della scheda audio. Decodifica audio non disponibile. Controllate i collegamenti o gli altri "
        "utenti, poi riavviate Kestrelon",
        "Erro da placa de som. Descodificação áudio indisponível. Verifique as ligações ou outros utilizadores "
        "e reinicie o Kestrelon",
        "Error de tarjeta de sonido. Decodificación de audio no disponible. Compruebe las conexiones u otros "
        "usuarios y reinicie Kestrelon")},
    {Msg::MsgEnterValidLptAddress, "MsgEnterValidLptAddress",
     Tr("Enter a VALID address as a 4 hexadecimal character string.\r\nThis address must be associated to an "
        "existing LPT port.\r\nA non-valid address may generate a system error!\r\n",
        "Adj meg egy ÉRVÉNYES címet 4 hexadecimális karakterrel.\r\nA címnek egy létezö LPT porthoz kell "
        "tartoznia.\r\nÉrvénytelen cím rendszerhibát okozhat!\r\n",
        "Geben Sie eine GÜLTIGE Adresse aus 4 Hexadezimalzeichen ein.\r\nDiese Adresse muss zu einem vorhandenen "
        "LPT-Port gehören.\r\nEine ungültige Adresse kann einen Systemfehler auslösen!\r\n",
        "Entrez une adresse VALIDE de 4 caractères hexadécimaux.\r\nCette adresse doit correspondre à un port "
        "LPT existant.\r\nUne adresse non valide peut provoquer une erreur système !\r\n",
        "Inserite un indirizzo VALIDO di 4 caratteri esadecimali.\r\nQuesto indirizzo deve corrispondere a una "
        "porta LPT esistente.\r\nUn indirizzo non valido può causare un errore di sistema!\r\n",
        "Introduza um endereço VÁLIDO de 4 caracteres hexadecimais.\r\nEste endereço deve corresponder a uma "
        "porta LPT existente.\r\nUm endereço inválido pode causar um erro de sistema!\r\n",
        "Introduzca una dirección VÁLIDA de 4 caracteres hexadecimales.\r\nEsta dirección debe corresponder a "
        "un puerto LPT existente.\r\nUna dirección no válida puede provocar un error del sistema!\r\n")},
    {Msg::TxtDetectedLptPorts, "TxtDetectedLptPorts",
     Tr("Detected LPT ports:\r\n", "Talált LPT portok:\r\n", "Gefundene LPT-Ports:\r\n", "Ports LPT détectés :\r\n",
        "Porte LPT rilevate:\r\n", "Portas LPT detetadas:\r\n", "Puertos LPT detectados:\r\n")},
    {Msg::MsgMouseKeyingHowTo, "MsgMouseKeyingHowTo",
     Tr("When using the mouse buttons to send Morse code,\r\nfirst choose how to use the mouse\r\n(single key or "
        "dual key)\r\nthen place the mouse cursor on\r\n the MORSE KEY image\r\nand click the mouse left/right "
        "buttons\r\nas you do with a keyer",
        "Ha az egér gombjaival adsz morzekódot,\r\nelöbb válaszd ki az egér használatát\r\n(egy billentyü vagy "
        "két billentyü)\r\nmajd vidd az egérmutatót\r\n a MORZEBILLENTYÜ képére\r\nés kattints a bal/jobb "
        "egérgombbal\r\nahogy egy elektronikus billentyüvel tennéd",
        "Wenn Sie Morsezeichen mit den Maustasten geben,\r\nwählen Sie zuerst die Mausart\r\n(Einzeltaste oder "
        "Doppeltaste),\r\nsetzen Sie dann den Mauszeiger auf\r\n das Bild der MORSETASTE\r\nund klicken Sie die "
        "linke/rechte Maustaste\r\nwie bei einem Keyer",
        "Pour envoyer du Morse avec les boutons de la souris,\r\nchoisissez d'abord l'usage de la souris\r\n"
        "(touche simple ou double)\r\npuis placez le curseur de la souris sur\r\n l'image du MANIPULATEUR\r\n"
        "et cliquez les boutons gauche/droit\r\ncomme avec un manipulateur électronique",
        "Per trasmettere il Morse con i tasti del mouse,\r\nscegliete prima l'uso del mouse\r\n(tasto singolo o "
        "doppio)\r\npoi portate il cursore del mouse\r\n sull'immagine del TASTO MORSE\r\ne cliccate i tasti "
        "sinistro/destro\r\ncome con un keyer",
        "Para enviar Morse com os botões do rato,\r\nescolha primeiro como usar o rato\r\n(tecla simples ou "
        "dupla)\r\ndepois coloque o cursor do rato\r\n sobre a imagem da CHAVE MORSE\r\ne clique os botões "
        "esquerdo/direito\r\ncomo faria com um manipulador",
        "Para transmitir Morse con los botones del ratón,\r\nelija primero cómo usar el ratón\r\n(tecla simple o "
        "doble)\r\nluego ponga el cursor del ratón sobre\r\n la imagen del MANIPULADOR\r\ny pulse los botones "
        "izquierdo/derecho\r\ncomo con un manipulador electrónico")},
    {Msg::MsgCtrlSelectedForKeying, "MsgCtrlSelectedForKeying",
     Tr("CAUTION: CTRL is selected for keying!\r\nIf you want to use the mouse as a Morse-Keyer,\r\nplease select "
        "\"Single key\" or \"Dual key\"",
        "FIGYELEM: a CTRL van kiválasztva a billentyüzéshez!\r\nHa az egeret morzebillentyüként használnád,\r\n"
        "válaszd az \"Egy billentyü\" vagy a \"Két billentyü\" lehetöséget",
        "ACHTUNG: STRG ist zum Tasten gewählt!\r\nWenn Sie die Maus als Morsetaste benutzen wollen,\r\nwählen Sie "
        "bitte \"Einzeltaste\" oder \"Doppeltaste\"",
        "ATTENTION : CTRL est choisi pour la manipulation !\r\nPour utiliser la souris comme manipulateur,\r\n"
        "choisissez \"Touche simple\" ou \"Touche double\"",
        "ATTENZIONE: CTRL è selezionato per la manipolazione!\r\nPer usare il mouse come tasto Morse,\r\n"
        "scegliete \"Tasto singolo\" o \"Tasto doppio\"",
        "ATENÇÃO: CTRL está selecionado para manipular!\r\nPara usar o rato como chave Morse,\r\nselecione "
        "\"Tecla simples\" ou \"Tecla dupla\"",
        "ATENCIÓN: CTRL está seleccionado para manipular!\r\nSi quiere usar el ratón como manipulador Morse,\r\n"
        "seleccione \"Tecla simple\" o \"Tecla doble\"")},
    {Msg::MsgWebOrFileError, "MsgWebOrFileError",
     Tr("WEB or file error", "WEB- vagy fájlhiba", "WEB- oder Dateifehler", "Erreur WEB ou de fichier",
        "Errore WEB o di file", "Erro WEB ou de ficheiro", "Error WEB o de archivo")},
    {Msg::MsgPortDriverMissing, "MsgPortDriverMissing",
     Tr("The parallel port cannot be used: the ppdev driver is not loaded\r\nor you have no access to "
        "/dev/parport*.\r\nAs administrator run \"modprobe ppdev\" and add your user to the group lp,\r\n"
        "then log in again and restart KESTRELON.",
        "A párhuzamos port nem használható: a ppdev illesztöprogram nincs betöltve,\r\nvagy nincs "
        "hozzáférésed a /dev/parport* eszközhöz.\r\nRendszergazdaként futtasd a \"modprobe ppdev\" parancsot, "
        "és vedd fel a felhasználódat az lp csoportba,\r\nmajd jelentkezz be újra, és indítsd újra a KESTRELON-t.",
        "Der Parallelport ist nicht nutzbar: Der Treiber ppdev ist nicht geladen\r\noder Sie haben keinen "
        "Zugriff auf /dev/parport*.\r\nFühren Sie als Administrator \"modprobe ppdev\" aus und nehmen Sie Ihren "
        "Benutzer in die Gruppe lp auf,\r\nmelden Sie sich dann neu an und starten Sie KESTRELON neu.",
        "Le port parallèle est inutilisable : le pilote ppdev n'est pas chargé\r\nou vous n'avez pas accès à "
        "/dev/parport*.\r\nEn administrateur, lancez \"modprobe ppdev\" et ajoutez votre utilisateur au groupe lp,"
        "\r\npuis reconnectez-vous et redémarrez KESTRELON.",
        "La porta parallela non è utilizzabile: il driver ppdev non è caricato\r\no non avete accesso a "
        "/dev/parport*.\r\nCome amministratore eseguite \"modprobe ppdev\" e aggiungete il vostro utente al "
        "gruppo lp,\r\npoi rientrate nella sessione e riavviate KESTRELON.",
        "A porta paralela não pode ser usada: o controlador ppdev não está carregado\r\nou não tem acesso a "
        "/dev/parport*.\r\nComo administrador execute \"modprobe ppdev\" e adicione o seu utilizador ao grupo lp,"
        "\r\ndepois volte a iniciar a sessão e reinicie o KESTRELON.",
        "El puerto paralelo no se puede usar: el controlador ppdev no está cargado\r\no no tiene acceso a "
        "/dev/parport*.\r\nComo administrador ejecute \"modprobe ppdev\" y añada su usuario al grupo lp,\r\n"
        "luego vuelva a iniciar sesión y reinicie KESTRELON.")},
    {Msg::MsgConfirmResetLessons, "MsgConfirmResetLessons",
     Tr("WARNING:\r\nThis action will delete all local lessons and reset default lessons\r\nAre you sure you want "
        "to do this ?",
        "FIGYELEM:\r\nEz törli az összes helyi leckét és visszaállítja az alapleckéket\r\nBiztosan ezt akarod ?",
        "WARNUNG:\r\nDies löscht alle lokalen Lektionen und stellt die Standardlektionen wieder her\r\nSind Sie "
        "sicher ?",
        "ATTENTION :\r\nCette action efface toutes les leçons locales et rétablit les leçons par défaut\r\n"
        "Etes-vous sûr de vouloir le faire ?",
        "ATTENZIONE:\r\nQuesta azione cancella tutte le lezioni locali e ripristina le lezioni predefinite\r\n"
        "Siete sicuri di volerlo fare ?",
        "ATENÇÃO:\r\nEsta ação apaga todas as lições locais e repõe as lições predefinidas\r\nTem a certeza que "
        "quer fazer isto ?",
        "ATENCIÓN:\r\nEsta acción borrará todas las lecciones locales y restablecerá las lecciones por defecto\r\n"
        "Esta usted seguro?")},
    {Msg::TxtAnswerSpeed, "TxtAnswerSpeed",
     Tr("You answer at a speed of about ", "A válaszaid sebessége kb. ", "Sie antworten mit etwa ",
        "Vous répondez à une vitesse d'environ ", "Rispondete a una velocità di circa ",
        "Responde a uma velocidade de cerca de ", "Responde a una velocidad de unos ")},
    {Msg::TxtWpm, "TxtWpm", Tr(" wpm", " wpm", " wpm", " mots/min", " ppm", " ppm", " ppm")},
    {Msg::TxtYes, "TxtYes", Tr("Yes", "Igen", "Ja", "Oui", "Si", "Sim", "Si")},
    {Msg::TxtNo, "TxtNo", Tr("No", "Nem", "Nein", "Non", "No", "Não", "No")},
    {Msg::TxtProsignWait, "TxtProsignWait",
     Tr("wait", "várakozik", "warten", "attendez", "attendete", "esperar", "esperar")},
    {Msg::TxtProsignError, "TxtProsignError", Tr("error", "hiba", "Fehler", "erreur", "errore", "erro", "error")},
    {Msg::TxtProsignTransmit, "TxtProsignTransmit",
     Tr("transmit", "adás", "senden", "transmettez", "trasmettete", "transmitir", "transmitir")},
    {Msg::TxtProsignEndOfWork, "TxtProsignEndOfWork",
     Tr("end of work", "a munka vége", "Arbeitsende", "fin de travail", "fine della trasmissione",
        "fim da transmissão", "fin de transmisión")},
    {Msg::TxtProsignUnderstood, "TxtProsignUnderstood",
     Tr("understood", "megértett", "verstanden", "compris", "capito", "entendido", "entendido")},
    {Msg::TxtProsignEndOfMessage, "TxtProsignEndOfMessage",
     Tr("end of message", "üzenet vége", "Ende der Nachricht", "fin de message", "fine del messaggio",
        "fim da mensagem", "fin del mensaje")},
    {Msg::TxtProsignBreak, "TxtProsignBreak", Tr("break", "break", "Break", "break", "break", "break", "break")},
};

constexpr bool inOrder()
{
    int i = 0;
    for (const MessageEntry &entry : kMessages)
        if (static_cast<int>(entry.id) != i++)
            return false;
    return i == MessageCount;
}
static_assert(inOrder(), "message rows must follow KESTRELON_MESSAGES, one row each");
static_assert(allLanguagesPresent(kMessages, [](const MessageEntry &e) -> const Tr & { return e.text; }),
              "every message needs its seven languages");

} // namespace

const Tr &MessageRow(Msg id)
{
    return kMessages[static_cast<int>(id)].text;
}

const char *MessageName(Msg id)
{
    return kMessages[static_cast<int>(id)].name;
}

QString MessageIn(Msg id, Language language)
{
    QString text = PickIn(MessageRow(id), language);
    if (id == Msg::MsgNewerRelease)
        text += QLatin1String(MakerWebAddress);
    return text;
}

QString Message(Msg id)
{
    return MessageIn(id, CurrentLanguage());
}

QString ProsignWord(int code)
{
    if (code < 1 || code > 7)
        return {};
    return Message(static_cast<Msg>(static_cast<int>(Msg::TxtProsignWait) + code - 1));
}

std::string ProsignWordCp1252(int code)
{
    return cp1252::fromQString(ProsignWord(code));
}
