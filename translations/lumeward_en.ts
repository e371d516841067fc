<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>StatusText</name>
    <message numerus="yes">
        <location filename="../src/window/StatusText.cpp" line="+43"/>
        <source>%n items</source>
        <translation>
            <numerusform>%n item</numerusform>
            <numerusform>%n items</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>lumeward::window::Form1</name>
    <message numerus="yes">
        <location filename="../src/window/Form1.cpp" line="+361"/>
        <source>

%n of %1 feeds were not read; see the Status column.</source>
        <translation type="unfinished">
            <numerusform></numerusform>
            <numerusform></numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+1"/>
        <source>

%n of %1 feeds could not be read; see the Status column.</source>
        <translation type="unfinished">
            <numerusform></numerusform>
            <numerusform></numerusform>
        </translation>
    </message>
</context>
</TS>
