#pragma once

#include "TestPlug.h"

// The test plug-in with an editor whose controls prompt: what Kolvane's
// own editor never does (its prompting is off), reached by the GUI tests
// through a real window.
//
// Layout (editor coordinates, 400 x 200 grey panel):
//   Gain caption   (10, 10)-(110, 40)   click: a text entry (double)
//   Steps caption  (10, 60)-(110, 90)   click: a text entry (int)
//   Mode caption  (10, 110)-(110, 140)  click: a menu of its display texts
//   Menu button   (200, 10)-(300, 40)   click: a menu, prefix style 2, ten
//                                       items; the third opens a submenu
//   File button   (200, 60)-(300, 90)   click: a save dialog for "txt wav",
//                                       starting from "unchanged.txt"
//   Colour button (200, 110)-(300, 140) click: the colour dialog "Pick a
//                                       colour", starting from 10, 20, 30
//   Message button (200, 160)-(300, 190) click: an OK/Cancel message box
//                                       "Test message"
// What happened goes, one line each, to the file named by the environment
// variable KOLVANE_TESTPLUG_LOG: "value I REAL" for every parameter change,
// "menu top|sub|none INDEX", "file PATH", "colour CHOSEN R G B",
// "message ANSWER" (1 OK, 2 Cancel).
class TestPlugEditor : public TestPlug
{
public:
  TestPlugEditor();

  void OnParamChange(int paramIdx) override;
  // No fake gestures: the user drives this editor.
  void OnIdle() override {}
};

// Appends a line to the test log, if one is named.
void TestPlugLog(const char* line);
