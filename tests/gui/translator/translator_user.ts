<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>Gui::DockWindow::ReportOutput</name>
    <message>
        <source>Options</source>
        <translation>Optionen (Benutzer)</translation>
    </message>
</context>
</TS>
