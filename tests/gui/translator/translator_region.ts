<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_CA">
<context>
    <name>Gui::DockWindow::ReportOutput</name>
    <message>
        <source>Options</source>
        <translation>Options (r&#xe9;gion)</translation>
    </message>
</context>
</TS>
