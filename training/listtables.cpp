#include "training/listtables.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace {

constexpr std::string_view Stops = "?/.,-=+'\"";

// The prosigns by the two letters of their rows, in row order (rows 64, 66, ..., 76); each is
// followed by its explanation row.
constexpr struct {
    const char *name;
    unsigned char code;
} Prosigns[] = {
    {"kn", ProsignKN}, {"as", ProsignAS}, {"hh", ProsignHH}, {"va", ProsignVA},
    {"sn", ProsignSN}, {"ar", ProsignAR}, {"bk", ProsignBK},
};
constexpr int ProsignFirstRow = 64;
constexpr int LettersFirstRow = 2;
constexpr int FiguresFirstRow = 33;
constexpr int StopsFirstRow = 48;
// From this row on, a row is a shortcut's: " c = text".
constexpr int ShortcutRowsFrom = 125;
constexpr std::size_t ShortcutRowPrefix = 5;

bool isBlankOrControl(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

using K = TextKind;

// One Q-code row per language: the code, " = " and its meaning.
#define QCODE(row, code, en, hu, de, fr, it, pt, es)                                               \
    TextRow("ListCodeQ", K::Item, row,                                                              \
            Tr(code " = " en, code " = " hu, code " = " de, code " = " fr, code " = " it,           \
               code " = " pt, code " = " es))
// One abbreviation row per language: a blank, the abbreviation, " : " and its meaning.
#define ABBR(row, code, en, hu, de, fr, it, pt, es)                                                \
    TextRow("ListAbreviations", K::Item, row,                                                       \
            Tr(" " code " : " en, " " code " : " hu, " " code " : " de, " " code " : " fr,         \
               " " code " : " it, " " code " : " pt, " " code " : " es))
// A heading of the abbreviation list, indented.
#define HEADING(row, indent, en, hu, de, fr, it, pt, es)                                           \
    TextRow("ListAbreviations", K::Item, row,                                                       \
            Tr(indent en, indent hu, indent de, indent fr, indent it, indent pt, indent es))
#define TITLE_INDENT "                               "
#define SUBTITLE_INDENT "           "

constexpr TextRow kRows[] = {
    {"ListAlphabet", K::Hint,
     Tr("Click a character to play it; right-click a local character or a shortcut to edit it",
        "Kattints egy karakterre a lejátszáshoz; jobb kattintás egy helyi karakterre vagy rövidítésre a szerkesztéshez",
        "Klicken Sie auf ein Zeichen, um es zu spielen; Rechtsklick auf ein lokales Zeichen oder ein Kürzel, um es zu bearbeiten",
        "Cliquez sur un caractère pour le jouer ; clic droit sur un caractère local ou un raccourci pour le modifier",
        "Cliccate su un carattere per riprodurlo; clic destro su un carattere locale o una scorciatoia per modificarlo",
        "Clique num caractere para o reproduzir; clique direito num caractere local ou atalho para o editar",
        "Haga clic en un carácter para reproducirlo; clic derecho en un carácter local o un atajo para editarlo")},
    {"ListCodeQ", K::Hint,
     Tr("Click a Q code to play it", "Kattints egy Q-kódra a lejátszáshoz", "Klicken Sie auf einen Q-Code, um ihn zu spielen",
        "Cliquez sur un code Q pour le jouer", "Cliccate su un codice Q per riprodurlo",
        "Clique num código Q para o reproduzir", "Haga clic en un código Q para reproducirlo")},
    {"ListAbreviations", K::Hint,
     Tr("Click an abbreviation to play it", "Kattints egy rövidítésre a lejátszáshoz",
        "Klicken Sie auf eine Abkürzung, um sie zu spielen", "Cliquez sur une abréviation pour la jouer",
        "Cliccate su un'abbreviazione per riprodurla", "Clique numa abreviatura para a reproduzir",
        "Haga clic en una abreviatura para reproducirla")},

    QCODE(0, "QRA", "to Send Geographical location", "földrajzi hely küldése", "Standort senden",
         "envoyer la position géographique", "inviare la posizione geografica",
         "enviar a localização geográfica", "enviar la ubicación geográfica"),
    QCODE(1, "QRB", "to Send Distance between stations", "az állomások közti távolság küldése",
         "Entfernung zwischen den Stationen senden", "envoyer la distance entre stations",
         "inviare la distanza tra le stazioni", "enviar a distância entre estações",
         "enviar la distancia entre estaciones"),
    QCODE(2, "QRG", "to Send Frequency value", "a frekvencia értékének küldése",
         "Frequenzwert senden", "envoyer la valeur de la fréquence",
         "inviare il valore della frequenza", "enviar o valor da frequência",
         "enviar el valor de la frecuencia"),
    QCODE(3, "QRH", "to Inform that Frequency Drift occurs", "jelzés, hogy a frekvencia elcsúszik",
         "Frequenzdrift melden", "signaler une dérive de fréquence",
         "segnalare una deriva di frequenza", "informar que há deriva de frequência",
         "informar de una deriva de frecuencia"),
    QCODE(4, "QRI", "to Send Signal tonality", "a jel hangszínének küldése",
         "Tonqualität des Signals senden", "envoyer la tonalité du signal",
         "inviare la tonalità del segnale", "enviar a tonalidade do sinal",
         "enviar la tonalidad de la señal"),
    QCODE(5, "QRK", "to Send Signal Intelligibility value", "a jel érthetöségének küldése",
         "Verständlichkeit des Signals senden", "envoyer l'intelligibilité du signal",
         "inviare la comprensibilità del segnale", "enviar a inteligibilidade do sinal",
         "enviar la inteligibilidad de la señal"),
    QCODE(6, "QRL", "to be Busy", "foglalt", "beschäftigt sein", "être occupé", "essere occupato",
         "estar ocupado", "estar ocupado"),
    QCODE(7, "QRM", "to be Interfered", "zavart (interferencia)", "gestört werden", "être brouillé",
         "essere interferito", "sofrer interferência", "sufrir interferencias"),
    QCODE(8, "QRN", "to be troubled with Static", "légköri zavarok",
         "atmosphärische Störungen haben", "être gêné par les parasites",
         "essere disturbato da scariche", "sofrer ruído atmosférico",
         "sufrir parásitos atmosféricos"),
    QCODE(9, "QRO", "to Increase power", "teljesítmény növelése", "Leistung erhöhen",
         "augmenter la puissance", "aumentare la potenza", "aumentar a potência",
         "aumentar la potencia"),
    QCODE(10, "QRP", "to Decrease power", "teljesítmény csökkentése", "Leistung verringern",
         "diminuer la puissance", "diminuire la potenza", "diminuir a potência",
         "disminuir la potencia"),
    QCODE(11, "QRQ", "to Send faster", "gyorsabb adás", "schneller senden", "transmettre plus vite",
         "trasmettere più velocemente", "transmitir mais depressa", "transmitir más rápido"),
    QCODE(12, "QRS", "to Send more slowly", "lassabb adás", "langsamer senden",
         "transmettre plus lentement", "trasmettere più lentamente", "transmitir mais devagar",
         "transmitir más despacio"),
    QCODE(13, "QRT", " to Stop sending", "adás befejezése", "Senden beenden",
         "cesser la transmission", "cessare la trasmissione", "parar de transmitir",
         "dejar de transmitir"),
    QCODE(14, "QRU", "to Inform that Nothing is to be sent", "jelzés, hogy nincs több közlendö",
         "melden, dass nichts zu senden ist", "signaler qu'il n'y a rien à transmettre",
         "segnalare che non c'è nulla da trasmettere", "informar que não há nada a enviar",
         "informar que no hay nada que enviar"),
    QCODE(15, "QRV", "to be Ready", "készen áll", "bereit sein", "être prêt", "essere pronto",
         "estar pronto", "estar listo"),
    QCODE(16, "QRX", "to Call later", "hívás késöbb", "später rufen", "rappeler plus tard",
         "richiamare più tardi", "chamar mais tarde", "llamar más tarde"),
    QCODE(17, "QRZ", "to Send Station Call", "az állomás hívójelének küldése",
         "Rufzeichen der Station senden", "envoyer l'indicatif de la station",
         "inviare il nominativo della stazione", "enviar o indicativo da estação",
         "enviar el indicativo de la estación"),
    QCODE(18, "QSA", "to Send Signal Strength value", "a jelerösség értékének küldése",
         "Signalstärke senden", "envoyer la force du signal", "inviare la forza del segnale",
         "enviar a intensidade do sinal", "enviar la intensidad de la señal"),
    QCODE(19, "QSB", "to Inform that Fading occurs", "jelzés, hogy fading (halkulás) van",
         "Fading melden", "signaler du fading", "segnalare evanescenza (fading)",
         "informar que há desvanecimento (fading)", "informar de desvanecimiento (fading)"),
    QCODE(20, "QSD", "to Inform of bad keying", "jelzés, hogy rossz a billentyüzés",
         "schlechte Tastung melden", "signaler une mauvaise manipulation",
         "segnalare una cattiva manipolazione", "informar de má manipulação",
         "informar de mala manipulación"),
    QCODE(21, "QSK", "to Listen between signals", "hallgatás a jelek között",
         "zwischen den Zeichen hören", "écouter entre les signaux", "ascoltare tra i segnali",
         "escutar entre os sinais", "escuchar entre las señales"),
    QCODE(22, "QSL", "to Acknowledge", "vétel nyugtázása", "Empfang bestätigen",
         "accuser réception", "confermare la ricezione", "confirmar a recepção", "acusar recibo"),
    QCODE(23, "QSO", "to Communicate on the air", "összeköttetés az éterben",
         "Funkverbindung haben", "communiquer sur l'air", "comunicare via radio",
         "comunicar pelo ar", "comunicar por radio"),
    QCODE(24, "QSP", "to Relay the communication", "az összeköttetés továbbítása",
         "Verbindung weiterleiten", "relayer la communication", "ritrasmettere la comunicazione",
         "retransmitir a comunicação", "retransmitir la comunicación"),
    QCODE(25, "QSU", "to Transmit on the same frequency", "adás ugyanazon a frekvencián",
         "auf derselben Frequenz senden", "transmettre sur la même fréquence",
         "trasmettere sulla stessa frequenza", "transmitir na mesma frequência",
         "transmitir en la misma frecuencia"),
    QCODE(26, "QSV", "to Send a serie of letter V", "V betük sorozatának küldése",
         "eine Reihe von V senden", "envoyer une série de lettres V",
         "inviare una serie di lettere V", "enviar uma série de letras V",
         "enviar una serie de letras V"),
    QCODE(27, "QSY", "to Transmit on another frequency", "adás másik frekvencián",
         "auf einer anderen Frequenz senden", "transmettre sur une autre fréquence",
         "trasmettere su un'altra frequenza", "transmitir noutra frequência",
         "transmitir en otra frecuencia"),
    QCODE(28, "QTH", "to Send Geographical position", "földrajzi helyzet küldése",
         "geografische Position senden", "envoyer la position géographique",
         "inviare la posizione geografica", "enviar a posição geográfica",
         "enviar la posición geográfica"),
    QCODE(29, "QTR", "to Send Time", "a pontos idö küldése", "Uhrzeit senden", "envoyer l'heure",
         "inviare l'ora", "enviar a hora", "enviar la hora"),


    HEADING(0, TITLE_INDENT, "ABBREVIATIONS", "RÖVIDÍTÉSEK", "ABKÜRZUNGEN", "ABRÉVIATIONS",
            "ABBREVIAZIONI", "ABREVIATURAS", "ABREVIATURAS"),
    HEADING(1, TITLE_INDENT, "=============", "===========", "===========", "============",
            "=============", "============", "============"),
    HEADING(2, SUBTITLE_INDENT, "English", "Angol", "Englisch", "Anglais", "Inglese", "Inglês",
            "Inglés"),
    HEADING(3, SUBTITLE_INDENT, "=======", "=====", "========", "=======", "=======", "======",
            "======"),
    ABBR(4, "ABT", "about", "körülbelül", "ungefähr", "environ", "circa", "cerca de",
         "aproximadamente"),
    ABBR(5, "ANT", "antenna", "antenna", "Antenne", "antenne", "antenna", "antena", "antena"),
    ABBR(6, "BURO", "QSL bureau", "QSL iroda", "QSL-Büro", "bureau QSL", "bureau QSL", "bureau QSL",
         "buró QSL"),
    ABBR(7, "CFM", "confirm", "megerösítem", "bestätige", "je confirme", "confermo", "confirmo",
         "confirmo"),
    ABBR(8, "CLDY", "cloudy", "felhös", "bewölkt", "nuageux", "nuvoloso", "nublado", "nublado"),
    ABBR(9, "CLR", "clear", "szabad, tiszta", "frei, Schluss", "libre, terminé", "libero, chiudo",
         "livre, terminado", "libre, terminado"),
    ABBR(10, "CQ", "seek you, call", "általános hívás", "allgemeiner Anruf", "appel général",
         "chiamata generale", "chamada geral", "llamada general"),
    ABBR(11, "CUL", "see you later", "viszontlátásra", "bis später", "à plus tard", "a più tardi",
         "até logo", "hasta luego"),
    ABBR(12, "DR", "dear", "kedves", "liebe(r)", "cher", "caro", "caro", "querido"),
    ABBR(13, "DX", "long distance", "nagy távolság", "große Entfernung", "longue distance",
         "lunga distanza", "longa distância", "larga distancia"),
    ABBR(14, "FB", "fine business (excellent)", "kitünö", "ausgezeichnet", "excellent",
         "eccellente", "excelente", "excelente"),
    ABBR(15, "FER", "for", "számára", "für", "pour", "per", "para", "para"),
    ABBR(16, "GA", "go ahead", "rajta, folytasd", "bitte senden", "allez-y", "avanti",
         "pode transmitir", "adelante"),
    ABBR(17, "GB", "goodbye", "viszontlátásra", "auf Wiedersehen", "au revoir", "arrivederci",
         "adeus", "adiós"),
    ABBR(18, "GD", "good day", "jó napot", "guten Tag", "bonjour", "buongiorno", "bom dia",
         "buen día"),
    ABBR(19, "GE", "good evening", "jó estét", "guten Abend", "bonsoir", "buonasera", "boa tarde",
         "buenas tardes"),
    ABBR(20, "GL", "good luck", "sok szerencsét", "viel Glück", "bonne chance", "buona fortuna",
         "boa sorte", "buena suerte"),
    ABBR(21, "GM", "good morning", "jó reggelt", "guten Morgen", "bonjour (matin)",
         "buongiorno (mattino)", "bom dia (manhã)", "buenos días"),
    ABBR(22, "GN", "good night", "jó éjszakát", "gute Nacht", "bonne nuit", "buonanotte",
         "boa noite", "buenas noches"),
    ABBR(23, "GP", "ground plane antenna", "ground plane antenna", "Groundplane-Antenne",
         "antenne ground plane", "antenna ground plane", "antena ground plane",
         "antena ground plane"),
    ABBR(24, "HPE", "hope", "remélem", "hoffe", "j'espère", "spero", "espero", "espero"),
    ABBR(25, "HPECUAGN", "hope to see you again", "remélem, újra hallak",
         "hoffe, dich wieder zu hören", "j'espère vous réentendre", "spero di risentirti",
         "espero ouvi-lo de novo", "espero volver a oírle"),
    ABBR(26, "HPECUL", "hope to see you later", "remélem, késöbb hallak",
         "hoffe, dich später zu hören", "j'espère à plus tard", "spero a più tardi",
         "espero até logo", "espero hasta luego"),
    ABBR(27, "HW", "how ?", "hogy vettél ?", "wie ?", "comment ?", "come ?", "como ?", "¿ cómo ?"),
    ABBR(28, "LW", "long wire antenna", "hosszú huzalantenna", "Langdrahtantenne",
         "antenne long fil", "antenna filare lunga", "antena de fio longo", "antena de hilo largo"),
    ABBR(29, "MNI", "many", "sok", "viele", "beaucoup", "molti", "muitos", "muchos"),
    ABBR(30, "NR", "number", "szám", "Nummer", "numéro", "numero", "número", "número"),
    ABBR(31, "OM", "old man (operator)", "öreg (operátor)", "Funker (alter Mann)",
         "opérateur (old man)", "operatore (old man)", "operador (old man)", "operador (old man)"),
    ABBR(32, "PSE", "please", "kérem", "bitte", "s'il vous plaît", "per favore", "por favor",
         "por favor"),
    ABBR(33, "PWR", "power", "teljesítmény", "Leistung", "puissance", "potenza", "potência",
         "potencia"),
    ABBR(34, "R", "received, roger", "vettem", "verstanden", "reçu", "ricevuto", "recebido",
         "recibido"),
    ABBR(35, "RIG", "equipment, station", "berendezés, állomás", "Station, Gerät",
         "équipement, station", "apparato, stazione", "equipamento, estação", "equipo, estación"),
    ABBR(36, "RPT", "repeat", "ismételd", "wiederholen", "répétez", "ripeti", "repita", "repita"),
    ABBR(37, "RPT AA", "repeat all after", "ismételj mindent ez után", "alles nach ... wiederholen",
         "répétez tout après", "ripeti tutto dopo", "repita tudo depois", "repita todo después"),
    ABBR(38, "RPT AB", "repeat all before", "ismételj mindent ez elött",
         "alles vor ... wiederholen", "répétez tout avant", "ripeti tutto prima",
         "repita tudo antes", "repita todo antes"),
    ABBR(39, "RPRT", "report", "jelentés", "Rapport", "report", "rapporto", "relatório", "reporte"),
    ABBR(40, "RST", "readability, strength, tone", "érthetöség, erösség, hang",
         "Lesbarkeit, Stärke, Ton", "lisibilité, force, tonalité", "comprensibilità, forza, tono",
         "inteligibilidade, intensidade, tom", "inteligibilidad, intensidad, tono"),
    ABBR(41, "RX", "receiver", "vevö", "Empfänger", "récepteur", "ricevitore", "receptor",
         "receptor"),
    ABBR(42, "STN", "station", "állomás", "Station", "station", "stazione", "estação", "estación"),
    ABBR(43, "TEMP", "temperature", "hömérséklet", "Temperatur", "température", "temperatura",
         "temperatura", "temperatura"),
    ABBR(44, "TKS", "thanks", "köszönöm", "danke", "merci", "grazie", "obrigado", "gracias"),
    ABBR(45, "TU", "thank you", "köszönöm", "danke dir", "merci à vous", "grazie a te",
         "obrigado a você", "gracias a usted"),
    ABBR(46, "TX", "transmitter", "adó", "Sender", "émetteur", "trasmettitore", "transmissor",
         "transmisor"),
    ABBR(47, "UR", "your, you are", "a te, te vagy", "dein, du bist", "votre, vous êtes",
         "tuo, tu sei", "seu, você é", "su, usted es"),
    ABBR(48, "VY", "very", "nagyon", "sehr", "très", "molto", "muito", "muy"),
    ABBR(49, "WX", "weather", "idöjárás", "Wetter", "météo", "tempo (meteo)",
         "tempo (meteorologia)", "tiempo (meteorología)"),
    ABBR(50, "XYL", "wife", "feleség", "Ehefrau", "épouse", "moglie", "esposa", "esposa"),
    ABBR(51, "YL", "young lady", "hölgy", "junge Dame", "demoiselle", "signorina", "menina",
         "señorita"),
    ABBR(52, "5NN", "599", "599", "599", "599", "599", "599", "599"),
    ABBR(53, "1TT", "100", "100", "100", "100", "100", "100", "100"),
    {"ListAbreviations", K::Item, 54, Tr(" ", " ", " ", " ", " ", " ", " ")},
    HEADING(55, SUBTITLE_INDENT, "French (English)", "Francia (magyar)", "Französisch (Deutsch)",
            "Français", "Francese (italiano)", "Francês (português)", "Francés (español)"),
    HEADING(56, SUBTITLE_INDENT, "================", "================", "=====================",
            "========", "===================", "===================", "================="),
    ABBR(57, "BCP", "beaucoup (a lot)", "beaucoup (sok)", "beaucoup (viel)", "beaucoup",
         "beaucoup (molto)", "beaucoup (muito)", "beaucoup (mucho)"),
    ABBR(58, "BJR", "bonjour (good morning)", "bonjour (jó napot)", "bonjour (guten Tag)",
         "bonjour", "bonjour (buongiorno)", "bonjour (bom dia)", "bonjour (buenos días)"),
    ABBR(59, "BSR", "bonsoir (good evening)", "bonsoir (jó estét)", "bonsoir (guten Abend)",
         "bonsoir", "bonsoir (buonasera)", "bonsoir (boa noite)", "bonsoir (buenas tardes)"),
    ABBR(60, "DPT", "département (county)", "département (megye)", "département (Bezirk)",
         "département", "département (provincia)", "département (distrito)",
         "département (provincia)"),
    ABBR(61, "MCI", "merci (thank you)", "merci (köszönöm)", "merci (danke)", "merci",
         "merci (grazie)", "merci (obrigado)", "merci (gracias)"),
    ABBR(62, "PR", "pour (for)", "pour (számára)", "pour (für)", "pour", "pour (per)",
         "pour (para)", "pour (para)"),
    ABBR(63, "SVP", "s'il vous plait (please)", "s'il vous plait (kérem)",
         "s'il vous plait (bitte)", "s'il vous plait", "s'il vous plait (per favore)",
         "s'il vous plait (por favor)", "s'il vous plait (por favor)"),
};

#undef QCODE
#undef ABBR
#undef HEADING
#undef TITLE_INDENT
#undef SUBTITLE_INDENT

static_assert(allLanguagesPresent(kRows, [](const TextRow &row) -> const Tr & { return row.text; }),
              "every list row needs its seven languages");

} // namespace

std::string Rhythm(std::string_view code)
{
    std::string rhythm;
    for (std::size_t i = 0; i < code.size(); ++i) {
        if (!rhythm.empty())
            rhythm += ' ';
        const bool last = i + 1 == code.size();
        rhythm += code[i] == '-' ? "dah" : (last ? "dit" : "di");
    }
    if (!rhythm.empty())
        rhythm[0] = static_cast<char>(rhythm[0] - 'a' + 'A');
    return rhythm;
}

std::string AlphabetCharacterRow(std::string_view name, std::string_view code)
{
    std::string row = " " + std::string(name) + (name.size() == 1 ? "  " : " ");
    row += code;
    row += std::string(std::max<std::size_t>(6, code.size() + 2) - code.size(), ' ');
    return row + Rhythm(code);
}

std::vector<std::string> AlphabetRows()
{
    std::vector<std::string> rows(AlphabetRowCount);
    auto put = [&rows](int row, unsigned char c) {
        rows[row] = AlphabetCharacterRow(std::string(1, static_cast<char>(c)), DefaultMorseCodes[c]);
    };
    for (int i = 0; i < 26; ++i)
        put(LettersFirstRow + i, static_cast<unsigned char>('A' + i));
    for (int i = 0; i < 10; ++i)
        put(FiguresFirstRow + i, static_cast<unsigned char>('0' + i));
    for (std::size_t i = 0; i < Stops.size(); ++i)
        put(StopsFirstRow + static_cast<int>(i), static_cast<unsigned char>(Stops[i]));
    for (std::size_t i = 0; i < std::size(Prosigns); ++i)
        rows[ProsignFirstRow + 2 * i] = AlphabetCharacterRow(Prosigns[i].name, DefaultMorseCodes[Prosigns[i].code]);
    return rows;
}

std::optional<std::string> AlphabetPayload(int row, std::string_view text)
{
    if (text.size() < 2 || text[1] == ' ')
        return std::nullopt;
    if (row >= ShortcutRowsFrom) {
        if (text.size() <= ShortcutRowPrefix)
            return std::nullopt;
        return std::string(text.substr(ShortcutRowPrefix));
    }
    if (text[1] >= 'a' && text[1] <= 'z' && text.size() >= 3) {
        for (const auto &prosign : Prosigns) {
            if (text.substr(1, 2) == prosign.name)
                return std::string(1, static_cast<char>(prosign.code));
        }
    }
    return std::string(1, text[1]);
}

std::optional<std::string> QCodePayload(std::string_view text)
{
    std::string_view code = text.substr(0, 4);
    while (!code.empty() && isBlankOrControl(code.back()))
        code.remove_suffix(1);
    if (code.empty())
        return std::nullopt;
    return std::string(code);
}

std::optional<std::string> AbbreviationPayload(std::string_view text)
{
    const std::size_t colon = text.find(':');
    if (text.size() < 2 || text[1] == ' ' || colon == std::string_view::npos || colon < 1)
        return std::nullopt;
    std::string_view abbreviation = text.substr(1, colon - 1);
    while (!abbreviation.empty() && abbreviation.back() == ' ')
        abbreviation.remove_suffix(1);
    return std::string(abbreviation);
}

AlphabetEditor AlphabetEditorFor(int row)
{
    if (row >= AlphabetLocalFirstRow - 1 && row < AlphabetLocalFirstRow + 26)
        return AlphabetEditor::LocalCharacter;
    if (row >= AlphabetShortcutFirstRow && row < AlphabetRowCount)
        return AlphabetEditor::Shortcut;
    return AlphabetEditor::None;
}

std::span<const TextRow> ListTextRows()
{
    return {std::begin(kRows), std::end(kRows)};
}
