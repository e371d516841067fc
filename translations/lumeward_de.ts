<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en">
<context>
    <name>CommandLine</name>
    <message>
        <location filename="../src/shell/CommandLine.cpp" line="+26"/>
        <source>Turns web feeds into files. Each FILE (feed addresses one per line, or an OPML feed list) is loaded into the address list and each ADDRESS (http, https or feed) added to it; a Lumeward already running takes them and comes to the front.</source>
        <translation>Macht aus Web-Feeds Dateien. Jede Datei (FILE: Feed-Adressen, eine pro Zeile, oder eine OPML-Feedliste) wird in die Adressliste geladen und jede Adresse (ADDRESS: http, https oder feed) ihr hinzugefügt; ein bereits laufendes Lumeward übernimmt sie und kommt in den Vordergrund.</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Address files and feed addresses to add.</source>
        <translation>Hinzuzufügende Adressdateien und Feed-Adressen.</translation>
    </message>
</context>
<context>
    <name>Form1</name>
    <message>
        <location filename="../src/window/LoadListFromFile.cpp" line="+16"/>
        <source>Lumeward</source>
        <translation>Lumeward</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>File not found</source>
        <translation>Datei nicht gefunden</translation>
    </message>
</context>
<context>
    <name>SavedResults</name>
    <message>
        <location filename="../src/window/SavedResults.cpp" line="+63"/>
        <source>Saved as %1 on %2</source>
        <translation>Gespeichert als %1 am %2</translation>
    </message>
</context>
<context>
    <name>Settings</name>
    <message>
        <location filename="../src/window/Settings.cpp" line="+45"/>
        <source>the file could not be written</source>
        <translation>die Datei konnte nicht geschrieben werden</translation>
    </message>
</context>
<context>
    <name>StatusText</name>
    <message>
        <location filename="../src/window/StatusText.cpp" line="+15"/>
        <source>Server not found</source>
        <translation>Server nicht gefunden</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Could not connect</source>
        <translation>Keine Verbindung möglich</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Timed out</source>
        <translation>Zeitüberschreitung</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Stopped</source>
        <translation>Angehalten</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Too many redirects</source>
        <translation>Zu viele Weiterleitungen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Too large</source>
        <translation>Zu groß</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Secure connection failed</source>
        <translation>Sichere Verbindung fehlgeschlagen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Not a web address</source>
        <translation>Keine Webadresse</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Connection broken</source>
        <translation>Verbindung abgebrochen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Not a feed</source>
        <translation>Kein Feed</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Could not read</source>
        <translation>Nicht lesbar</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Not an RSS, RDF or Atom feed</source>
        <translation>Kein RSS-, RDF- oder Atom-Feed</translation>
    </message>
    <message numerus="yes">
        <location line="+17"/>
        <source>%n items</source>
        <translation>
            <numerusform>%n Eintrag</numerusform>
            <numerusform>%n Einträge</numerusform>
        </translation>
    </message>
    <message>
        <location line="+2"/>
        <source>%1, kept copy: the server asked to wait until %2</source>
        <translation>%1, gespeicherte Kopie: Der Server bat, bis %2 zu warten</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>%1, from the feed found at %2</source>
        <translation>%1, aus dem unter %2 gefundenen Feed</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>%1, not changed</source>
        <translation>%1, unverändert</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Moved to %1</source>
        <translation>Umgezogen nach %1</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Moved permanently to %1; %2</source>
        <translation>Dauerhaft umgezogen nach %1; %2</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>Not read</source>
        <translation>Nicht gelesen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The run was stopped before this address was read.</source>
        <translation>Der Abruf wurde angehalten, bevor diese Adresse gelesen wurde.</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>The server asked to wait until %1</source>
        <translation>Der Server bat, bis %1 zu warten</translation>
    </message>
</context>
<context>
    <name>lumeward::shell::LaunchArguments</name>
    <message>
        <location filename="../src/shell/LaunchArguments.cpp" line="+104"/>
        <source>Lumeward</source>
        <translation>Lumeward</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&quot;%1&quot; is neither a file nor a feed address (http, https or feed).</source>
        <translation>„%1“ ist weder eine Datei noch eine Feed-Adresse (http, https oder feed).</translation>
    </message>
</context>
<context>
    <name>lumeward::shell::SingleInstance</name>
    <message>
        <location filename="../src/shell/SingleInstance.cpp" line="+65"/>
        <source>cannot lock %1.lock</source>
        <translation>%1.lock kann nicht gesperrt werden</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>the Lumeward already running at %1 did not answer: %2</source>
        <translation>das bereits unter %1 laufende Lumeward antwortet nicht: %2</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>cannot listen at %1: %2</source>
        <translation>an %1 kann nicht auf Verbindungen gewartet werden: %2</translation>
    </message>
</context>
<context>
    <name>lumeward::shell::Splash</name>
    <message>
        <location filename="../src/shell/Splash.cpp" line="+65"/>
        <source>Hide this at next startup</source>
        <translation>Beim nächsten Start nicht anzeigen</translation>
    </message>
</context>
<context>
    <name>lumeward::window::AddressListActions</name>
    <message>
        <location filename="../src/window/AddressListActions.cpp" line="+35"/>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Copy Address</source>
        <translation>Adresse kopieren</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Paste Addresses</source>
        <translation>Adressen einfügen</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Save Addresses As…</source>
        <translation>Adressen speichern unter …</translation>
    </message>
    <message>
        <location line="+29"/>
        <source>Save Addresses As</source>
        <translation>Adressen speichern unter</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>OPML Files (*.opml);;Text Files (*.txt)</source>
        <translation>OPML-Dateien (*.opml);;Textdateien (*.txt)</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Lumeward</source>
        <translation>Lumeward</translation>
    </message>
    <message>
        <location line="+47"/>
        <source>Use New Address</source>
        <translation>Neue Adresse verwenden</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Use Found Address</source>
        <translation>Gefundene Adresse verwenden</translation>
    </message>
</context>
<context>
    <name>lumeward::window::Form1</name>
    <message>
        <location filename="../src/window/Form1.cpp" line="+123"/>
        <location line="+151"/>
        <location line="+18"/>
        <location line="+24"/>
        <location line="+49"/>
        <location line="+35"/>
        <location line="+20"/>
        <location line="+89"/>
        <source>Lumeward</source>
        <translation>Lumeward</translation>
    </message>
    <message>
        <location line="-385"/>
        <source>Settings cannot be saved to %1: %2. The output folder and the start-up picture choice will be forgotten when Lumeward ends.</source>
        <translation>Die Einstellungen können nicht in %1 gespeichert werden: %2. Ausgabeordner und Startbild-Auswahl gehen verloren, wenn Lumeward beendet wird.</translation>
    </message>
    <message>
        <location line="+22"/>
        <source>Double-click item to remove it. Move bar to right and out of window to reveal full names.</source>
        <translation>Ein Doppelklick auf einen Eintrag entfernt ihn. Den Spaltentrenner nach rechts aus dem Fenster ziehen, um die vollständigen Namen zu sehen.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Feed addresses</source>
        <translation>Feed-Adressen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The feeds to retrieve. Double-click an address or press Delete to remove it.</source>
        <translation>Die abzurufenden Feeds. Ein Doppelklick auf eine Adresse oder die Entf-Taste entfernt sie.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;Add RSS Feed URL</source>
        <translation>Feed-&amp;Adresse hinzufügen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Load RSS URLs From File</source>
        <translation>Adressen aus &amp;Datei laden</translation>
    </message>
    <message>
        <location line="+2"/>
        <location line="+194"/>
        <source>&amp;Start Retrieving Data</source>
        <translation>Feeds ab&amp;rufen</translation>
    </message>
    <message>
        <location line="-187"/>
        <source>Move bar to right and out of window to reveal full names.</source>
        <translation>Den Spaltentrenner nach rechts aus dem Fenster ziehen, um die vollständigen Namen zu sehen.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Results</source>
        <translation>Ergebnisse</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The items retrieved: feed address, title, description and link. Checked items are saved.</source>
        <translation>Die abgerufenen Einträge: Feed-Adresse, Titel, Beschreibung und Link. Markierte Einträge werden gespeichert.</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>&amp;Check All</source>
        <translation>Alle &amp;markieren</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Uncheck All</source>
        <translation>Markierungen &amp;entfernen</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Save Text File(s) To This &amp;Folder</source>
        <translation>Textdatei(en) in diesem &amp;Ordner speichern</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Output folder</source>
        <translation>Ausgabeordner</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The folder the checked results are saved to.</source>
        <translation>Der Ordner, in dem die markierten Ergebnisse gespeichert werden.</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Browse for output folder</source>
        <translation>Ausgabeordner auswählen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Choose the folder the results are saved to.</source>
        <translation>Den Ordner wählen, in dem die Ergebnisse gespeichert werden.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Save Results As &amp;HTML</source>
        <translation>Ergebnisse als &amp;HTML speichern</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Retrieval progress</source>
        <translation>Fortschritt des Abrufs</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>How much of the feed list has been retrieved.</source>
        <translation>Wie viel der Feed-Liste bereits abgerufen ist.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Alt+B</source>
        <translation>Alt+W</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Browse for output folder (Alt+B)</source>
        <translation>Ausgabeordner auswählen (Alt+W)</translation>
    </message>
    <message>
        <location line="+49"/>
        <location line="+5"/>
        <source>Feed URL(s)</source>
        <translation>Feed-Adresse(n)</translation>
    </message>
    <message>
        <location line="-3"/>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Result(s)</source>
        <translation>Ergebnis(se)</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Description</source>
        <translation>Beschreibung</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>Enter website address to add: </source>
        <translation>Hinzuzufügende Webadresse eingeben: </translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Add File(s) - Use Ctrl &amp; Shift to select multiple files</source>
        <translation>Datei(en) hinzufügen – mit Strg und Umschalt mehrere Dateien auswählen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Feed lists (*.txt *.opml *.xml);;Text Files (*.txt);;All Files (*)</source>
        <translation>Feed-Listen (*.txt *.opml *.xml);;Textdateien (*.txt);;Alle Dateien (*)</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Please select just one file.</source>
        <translation>Bitte nur eine Datei auswählen.</translation>
    </message>
    <message>
        <location line="+24"/>
        <source>No files added.</source>
        <translation>Keine Dateien hinzugefügt.</translation>
    </message>
    <message>
        <location line="+26"/>
        <source>&amp;Stop Retrieving Data</source>
        <translation>Ab&amp;ruf anhalten</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>Stopped.</source>
        <translation>Angehalten.</translation>
    </message>
    <message>
        <location line="+0"/>
        <location line="+65"/>
        <source>Done.</source>
        <translation>Fertig.</translation>
    </message>
    <message numerus="yes">
        <location line="-59"/>
        <source>

%n of %1 feeds were not read; see the Status column.</source>
        <translation>
            <numerusform>

%n von %1 Feeds wurde nicht gelesen; siehe Spalte „Status“.</numerusform>
            <numerusform>

%n von %1 Feeds wurden nicht gelesen; siehe Spalte „Status“.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+1"/>
        <source>

%n of %1 feeds could not be read; see the Status column.</source>
        <translation>
            <numerusform>

%n von %1 Feeds konnte nicht gelesen werden; siehe Spalte „Status“.</numerusform>
            <numerusform>

%n von %1 Feeds konnten nicht gelesen werden; siehe Spalte „Status“.</numerusform>
        </translation>
    </message>
    <message>
        <location line="+47"/>
        <source>Application Error</source>
        <translation>Anwendungsfehler</translation>
    </message>
    <message>
        <location line="+18"/>
        <source>Please select folder:</source>
        <translation>Bitte einen Ordner auswählen:</translation>
    </message>
</context>
<context>
    <name>lumeward::window::ResultListActions</name>
    <message>
        <location filename="../src/window/ResultListActions.cpp" line="+21"/>
        <source>Open Link</source>
        <translation>Link öffnen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Copy Link</source>
        <translation>Link kopieren</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Save Checked As Web Pages…</source>
        <translation>Markierte als Webseiten speichern …</translation>
    </message>
</context>
<context>
    <name>lumeward::window::RetrievalInWindow</name>
    <message>
        <location filename="../src/window/RetrievalInWindow.h" line="+39"/>
        <source>Waiting</source>
        <translation>Wartet</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Reading</source>
        <translation>Wird gelesen</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <location filename="../src/shell/main.cpp" line="+43"/>
        <source>; a second Lumeward will open a window of its own</source>
        <translation>; ein zweites Lumeward öffnet ein eigenes Fenster</translation>
    </message>
</context>
</TS>
