<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>QDockWidget</name>
    <message>
        <source>Project Explorer</source>
        <translation>Projekt-Explorer</translation>
    </message>
    <message>
        <source>Properties</source>
        <translation>Eigenschaften</translation>
    </message>
    <message>
        <source>Tabular Data</source>
        <translation>Tabellendaten</translation>
    </message>
    <message>
        <source>Chart</source>
        <translation>Diagramm</translation>
    </message>
    <message>
        <source>Selection View</source>
        <translation>Auswahlansicht</translation>
    </message>
    <message>
        <source>Output</source>
        <translation>Ausgabe</translation>
    </message>
</context>
<context>
    <name>SimModule</name>
    <message>
        <source>&amp;FILE</source>
        <translation>&amp;DATEI</translation>
    </message>
    <message>
        <source>&amp;EDIT</source>
        <translation>&amp;BEARBEITEN</translation>
    </message>
    <message>
        <source>&amp;VIEW</source>
        <translation>&amp;ANSICHT</translation>
    </message>
    <message>
        <source>&amp;HELP</source>
        <translation>&amp;HILFE</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>Standard views</source>
        <translation>Standardansichten</translation>
    </message>
    <message>
        <source>FILE</source>
        <translation>DATEI</translation>
    </message>
</context>
<context>
    <name>Gui::DockWindow::ReportView</name>
    <message>
        <source>Output</source>
        <translation>Ausgabe</translation>
    </message>
    <message>
        <source>Save text to file</source>
        <translation>Text in Datei speichern</translation>
    </message>
    <message>
        <source>Clear the text field</source>
        <translation>Textfeld leeren</translation>
    </message>
</context>
<context>
    <name>Gui::DockWindow::ReportOutput</name>
    <message>
        <source>Options</source>
        <translation>Optionen</translation>
    </message>
    <message>
        <source>Logging</source>
        <translation>Protokoll</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warnungen</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Auto Scroll Down</source>
        <translation>Automatisch nach unten blättern</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Leeren</translation>
    </message>
    <message>
        <source>Save As...</source>
        <translation>Speichern unter...</translation>
    </message>
    <message>
        <source>Save Output</source>
        <translation>Ausgabe speichern</translation>
    </message>
    <message>
        <source>Plain Text Files (*.txt *.log)</source>
        <translation>Textdateien (*.txt *.log)</translation>
    </message>
    <message>
        <source>Cannot save</source>
        <translation>Speichern nicht möglich</translation>
    </message>
    <message>
        <source>The output cannot be written to %1:
%2</source>
        <translation>Die Ausgabe kann nicht nach %1 geschrieben werden:
%2</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>No Browser</source>
        <translation>Kein Browser</translation>
    </message>
    <message>
        <source>Unable to open your system browser.</source>
        <translation>Der Systembrowser lässt sich nicht öffnen.</translation>
    </message>
</context>
</TS>
