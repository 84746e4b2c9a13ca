#pragma once

// The games' texts in the seven languages (English, Magyar, Deutsch, Français, Italiano,
// Português, Español).

#include "shell/languages/languages.h"

namespace gametexts {

// ---- Main window and launcher ----
inline constexpr Tr MenuGames("&Games", "&Játékok", "&Spiele", "&Jeux", "&Giochi", "&Jogos", "&Juegos");

// ---- Tile-matching game ----
inline constexpr Tr JongCaption("Zidid-Uvar, the Mahjong for the Morse code", "Zidid-Uvar, a Madzsong Morse kód",
                                "Zidid-Uvar, der Mah-Jongg für Morse-Code", "Zidid-Uvar, le Mah-jong pour le code Morse",
                                "Zidid-Uvar, il Mah Jong per il codice Morse", "Zidid-Uvar, o Mahjong para código Morse",
                                "Zidid-Uvar, el Mahjong para el código Morse");
inline constexpr Tr NewGame("New game", "Új játék", "Neues Spiel", "Nouvelle partie", "Nuovo gioco", "Novo jogo",
                            "Nuevo juego");
inline constexpr Tr RestartGame("Restart this game", "Indítsa újra a játékot", "Dieses Spiel wiederholen",
                                "Recommencer cette partie", "Riavviare questo gioco", "Reiniciar este jogo",
                                "Reiniciar este juego");
inline constexpr Tr SolveGame("Solve this game", "Oldja meg ezt a játékot", "Dieses Spiel lösen", "Résoudre cette partie",
                              "Risolvi questo gioco", "Resolver este jogo", "Resolver este juego");
inline constexpr Tr Suggestion("Suggestion", "Javaslat", "Vorschlag", "Conseil", "Suggerimento", "Sugestão", "Sugerencia");
inline constexpr Tr BackgroundColour("Background color", "Háttérszín", "Hintergrundfarbe", "Couleur de fond",
                                     "Colore di sfondo", "Cor de fundo", "Color de fondo");
inline constexpr Tr JongWin("Bravo!", "Bravo!", "Bravo!", "Bravo !", "Bravo!", "Bravo!", "Bravo!");
inline constexpr Tr JongDeadEnd("No more tiles to clear!", "Nincs több csempe világos!", "Kein Stein mehr wegzunehmen!",
                                "Plus de tuiles à enlever !", "Non più tessere per cancellare!",
                                "Não mais telhas para limpar!", "No más azulejos para borrar!");
inline constexpr Tr Statistics("Statistics", "Statisztika", "Statistiken", "Statistiques", "Statistica", "Estatistica",
                               "Estadistica");
inline constexpr Tr GamesPlayed("Number of games played = ", "Játékok száma = ", "Gespielten Spiele = ",
                                "Parties jouées = ", "Numero di partite giocate = ", "Número de jogos jogados = ",
                                "Número de partidos jugados = ");
inline constexpr Tr GamesWon("Number of games won = ", "Nyertes játékok száma = ", "Gewonnenen Spiele = ",
                             "Parties gagnées = ", "Numero di partite vinte = ", "Número de jogos vencidos = ",
                             "Número de partidos ganados = ");
inline constexpr Tr SuccessRate("Success rate = ", "Sikerarány = ", "Erfolgsrate = ", "Taux de réussite = ",
                                "Tasso di successo = ", "Taxa de sucesso = ", "Tasa de éxito = ");
inline constexpr Tr Reset("Reset", "Visszaállítás", "Zurücksetzen", "Remise à zéro", "Resettare", "Reiniciar",
                          "Reiniciar");
inline constexpr Tr JongClose("Close", "Kilép", "Beenden", "Fermer", "Fine", "Sair", "Salir");

// ---- Memory-pairs game ----
inline constexpr Tr PairsCaption("Memory game : Find the hidden pairs", "Memóriajáték : Keresd meg a rejtett pár",
                                 "Memory-Spiel: Finden Sie die verstecke Paare",
                                 "Jeu de Mémoire : Trouver les paires cachées",
                                 "Gioco di memoria: Trova le coppie nascoste",
                                 "Jogo da memória: Encontrar os pares ocultos",
                                 "Juego de memoria: Encuentra los pares ocultos ");
inline constexpr Tr Level("Level", "Szint", "Niveau", "Niveau", "Livello", "Nível", "Nivel");
// A level item: %1 the level, %2 its pairs.
inline constexpr Tr LevelItem("%1 : %2 pairs", "%1 : %2 pár", "%1 : %2 Paare", "%1 : %2 paires", "%1 : %2 coppie",
                              "%1: %2 pares", "%1 : %2 pares");
inline constexpr Tr Players("Players", "Játékosok", "Spieler", "Joueurs", "Giocatori", "Jogadores", "Jugadores");
inline constexpr Tr PlayAlone("You play alone", "Egyedül játszol", "Sie spielen allein", "Vous jouez seul",
                              "Giochi da solo", "Joga sozinho", "Juegas solo");
inline constexpr Tr PlayAgainst("You play vs Kestrelon", "Te játszol Kestrelon ellen", "Sie spielen gegen Kestrelon",
                                "Vous jouez contre Kestrelon", "Giochi contro Kestrelon", "Joga contra Kestrelon",
                                "Juegas contra Kestrelon");
inline constexpr Tr PairsClose("Close", "Bezárás", "Schließen", "Fermer", "Chiudi", "Fechar", "Cerrar");
inline constexpr Tr Scoreboard("Scoreboard", "Eredményjelzö", "Anzeigetafel", "Tableau des scores", "Tabellone",
                               "Placar", "Marcador");
inline constexpr Tr PlayingAlone("Playing alone", "Egyedül", "Allein spielen", "Seul", "Da solo", "Sozinho", "Solo");
inline constexpr Tr AgainstProgram("vs Kestrelon", "Kestrelon ellen", "gegen Kestrelon", "contre Kestrelon",
                                   "contro Kestrelon", "contra Kestrelon", "contra Kestrelon");
inline constexpr Tr PairsFound("Pairs found", "Talált párok", "Gefundene Paare", "Paires trouvées", "Coppie trovate",
                               "Pares encontrados", "Pares encontrados");

inline constexpr Tr YouPlay("You play", "Te játszol", "Bitte spielen", "Vous jouez", "Giochi tu", "Jogue", "Juegas");
inline constexpr Tr YouWait("You wait", "Te várj", "Bitte warten", "Vous attendez", "Aspetti", "Espere", "Esperas");
inline constexpr Tr ProgramPlays("Kestrelon plays", "Kestrelon játszik", "Kestrelon spielt", "Kestrelon joue",
                                 "Kestrelon gioca", "Kestrelon joga", "Kestrelon juega");
inline constexpr Tr ProgramWaits("Kestrelon waits", "Kestrelon vár", "Kestrelon wartet", "Kestrelon attend",
                                 "Kestrelon aspetta", "Kestrelon espera", "Kestrelon espera");
inline constexpr Tr YouWin("You win!", "Te nyersz", "Sie gewinnen!", "Vous avez gagné", "Vinci", "Ganhou", "Ganas");
inline constexpr Tr YouLose("You lose", "Elveszett", "Sie verlieren", "Vous avez perdu", "Hai perso", "Perdeste",
                            "Has perdido");
inline constexpr Tr Draw("Draw", "Húzni", "Gleich", "Match nul", "Pareggio", "Desenhar", "Dibujar");
inline constexpr Tr ProgramWins("Kestrelon wins", "Kestrelon gyozelem", "Kestrelon gewinnt!", "Kestrelon a gagné",
                                "Kestrelon vince", "Kestrelon ganhou", "Kestrelon ganó");
inline constexpr Tr ProgramLoses("Kestrelon loses", "Kestrelon elveszett", "Kestrelon verliert", "Kestrelon a perdu",
                                 "Kestrelon perde", "Kestrelon perdido", "Kestrelon perdido");
inline constexpr Tr PairsWord("pairs", "párok", "Paare", "paires", "coppie", "pares", "pares");
inline constexpr Tr TilesWord("tiles", "téglák", "Ziegel", "tuiles", "mattoni", "tijolos", "ladrillos");
inline constexpr Tr PairsTested("Pairs tested", "Tesztelt párok", "Getesteten Paare", "Paires testées",
                                "coppie testate", "Pares testados", "Pares probados");
inline constexpr Tr BestScore("Best score", "Legjobb eredmény", "Bestes Ergebnis", "Meilleur score",
                              "Miglior punteggio", "Melhor resultado", "Mejor resultado");

// Every row, for the check that each is whole and fits Windows-1252.
inline constexpr const Tr *AllRows[] = {
    &MenuGames,  &JongCaption,  &NewGame,     &RestartGame,   &SolveGame,      &Suggestion,   &BackgroundColour,
    &JongWin,    &JongDeadEnd,  &Statistics,  &GamesPlayed,   &GamesWon,       &SuccessRate,  &Reset,
    &JongClose,  &PairsCaption, &Level,       &LevelItem,     &Players,        &PlayAlone,    &PlayAgainst,
    &PairsClose, &Scoreboard,   &PlayingAlone, &AgainstProgram, &PairsFound,   &YouPlay,      &YouWait,
    &ProgramPlays, &ProgramWaits, &YouWin,    &YouLose,       &Draw,           &ProgramWins,  &ProgramLoses,
    &PairsWord,  &TilesWord,    &PairsTested, &BestScore,
};
static_assert(allLanguagesPresent(AllRows, [](const Tr *row) -> const Tr & { return *row; }));

} // namespace gametexts
