#pragma once

// Entry points that typing practice calls into modes built later. Each does nothing (or
// answers "no") until its mode fills it in.

// Kid mode: stops the rabbit animation (TimerLapin). Empty until kid mode lands.
void StopRabbitAnimation();

// The mouse-up handler of ListAlphabet, ListCodeQ or ListAbreviations for a left-button
// release without shift at (0, 0): plays the selected item. Empty until the lists land.
void ListMouseUpPlaySelected(const char *listName);

// CountdownRunning: the start countdown of a random series runs. False until the random
// groups land.
bool RandomCountdownRunning();

// The straight key goes down by the CTRL key: key-down time event, sidetone start,
// SidetoneOn := 1. Empty until manual keying lands.
void StraightKeyDownByCtrl();
