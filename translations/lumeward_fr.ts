<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR" sourcelanguage="en">
<context>
    <name>CommandLine</name>
    <message>
        <location filename="../src/shell/CommandLine.cpp" line="+26"/>
        <source>Turns web feeds into files. Each FILE (feed addresses one per line, or an OPML feed list) is loaded into the address list and each ADDRESS (http, https or feed) added to it; a Lumeward already running takes them and comes to the front.</source>
        <translation>Transforme des flux web en fichiers. Chaque fichier (FILE&#xa0;: adresses de flux, une par ligne, ou liste de flux OPML) est chargé dans la liste d’adresses et chaque adresse (ADDRESS&#xa0;: http, https ou feed) y est ajoutée&#x202f;; un Lumeward déjà lancé les reçoit et passe au premier plan.</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Address files and feed addresses to add.</source>
        <translation>Fichiers d’adresses et adresses de flux à ajouter.</translation>
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
        <translation>Fichier introuvable</translation>
    </message>
</context>
<context>
    <name>SavedResults</name>
    <message>
        <location filename="../src/window/SavedResults.cpp" line="+63"/>
        <source>Saved as %1 on %2</source>
        <translation>Enregistré sous %1 le %2</translation>
    </message>
</context>
<context>
    <name>Settings</name>
    <message>
        <location filename="../src/window/Settings.cpp" line="+45"/>
        <source>the file could not be written</source>
        <translation>le fichier n’a pas pu être écrit</translation>
    </message>
</context>
<context>
    <name>StatusText</name>
    <message>
        <location filename="../src/window/StatusText.cpp" line="+15"/>
        <source>Server not found</source>
        <translation>Serveur introuvable</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Could not connect</source>
        <translation>Connexion impossible</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Timed out</source>
        <translation>Délai dépassé</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Stopped</source>
        <translation>Arrêté</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Too many redirects</source>
        <translation>Trop de redirections</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Too large</source>
        <translation>Trop volumineux</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Secure connection failed</source>
        <translation>Échec de la connexion sécurisée</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Not a web address</source>
        <translation>Adresse web non valide</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Connection broken</source>
        <translation>Connexion interrompue</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Not a feed</source>
        <translation>Pas un flux</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Could not read</source>
        <translation>Lecture impossible</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Not an RSS, RDF or Atom feed</source>
        <translation>Pas un flux RSS, RDF ou Atom</translation>
    </message>
    <message numerus="yes">
        <location line="+17"/>
        <source>%n items</source>
        <translation>
            <numerusform>%n élément</numerusform>
            <numerusform>%n éléments</numerusform>
        </translation>
    </message>
    <message>
        <location line="+2"/>
        <source>%1, kept copy: the server asked to wait until %2</source>
        <translation>%1, copie conservée&#xa0;: le serveur a demandé d’attendre jusqu’à %2</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>%1, from the feed found at %2</source>
        <translation>%1, depuis le flux trouvé à l’adresse %2</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>%1, not changed</source>
        <translation>%1, inchangé</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Moved to %1</source>
        <translation>Déplacé vers %1</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Moved permanently to %1; %2</source>
        <translation>Déplacé définitivement vers %1&#xa0;; %2</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>Not read</source>
        <translation>Non lu</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The run was stopped before this address was read.</source>
        <translation>La récupération a été arrêtée avant la lecture de cette adresse.</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>The server asked to wait until %1</source>
        <translation>Le serveur a demandé d’attendre jusqu’à %1</translation>
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
        <translation>«&#xa0;%1&#xa0;» n’est ni un fichier ni une adresse de flux (http, https ou feed).</translation>
    </message>
</context>
<context>
    <name>lumeward::shell::SingleInstance</name>
    <message>
        <location filename="../src/shell/SingleInstance.cpp" line="+65"/>
        <source>cannot lock %1.lock</source>
        <translation>impossible de verrouiller %1.lock</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>the Lumeward already running at %1 did not answer: %2</source>
        <translation>le Lumeward déjà lancé sur %1 n’a pas répondu&#xa0;: %2</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>cannot listen at %1: %2</source>
        <translation>impossible d’écouter sur %1&#xa0;: %2</translation>
    </message>
</context>
<context>
    <name>lumeward::shell::Splash</name>
    <message>
        <location filename="../src/shell/Splash.cpp" line="+65"/>
        <source>Hide this at next startup</source>
        <translation>Ne plus afficher au prochain démarrage</translation>
    </message>
</context>
<context>
    <name>lumeward::window::AddressListActions</name>
    <message>
        <location filename="../src/window/AddressListActions.cpp" line="+35"/>
        <source>Remove</source>
        <translation>Supprimer</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Copy Address</source>
        <translation>Copier l’adresse</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Paste Addresses</source>
        <translation>Coller les adresses</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Save Addresses As…</source>
        <translation>Enregistrer les adresses sous…</translation>
    </message>
    <message>
        <location line="+29"/>
        <source>Save Addresses As</source>
        <translation>Enregistrer les adresses sous</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>OPML Files (*.opml);;Text Files (*.txt)</source>
        <translation>Fichiers OPML (*.opml);;Fichiers texte (*.txt)</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Lumeward</source>
        <translation>Lumeward</translation>
    </message>
    <message>
        <location line="+47"/>
        <source>Use New Address</source>
        <translation>Utiliser la nouvelle adresse</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Use Found Address</source>
        <translation>Utiliser l’adresse trouvée</translation>
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
        <translation>Impossible d’enregistrer les paramètres dans %1&#xa0;: %2. Le dossier de destination et le choix de l’image de démarrage seront oubliés à la fermeture de Lumeward.</translation>
    </message>
    <message>
        <location line="+22"/>
        <source>Double-click item to remove it. Move bar to right and out of window to reveal full names.</source>
        <translation>Double-cliquez sur un élément pour le supprimer. Déplacez le séparateur vers la droite, hors de la fenêtre, pour voir les noms en entier.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Feed addresses</source>
        <translation>Adresses des flux</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The feeds to retrieve. Double-click an address or press Delete to remove it.</source>
        <translation>Les flux à récupérer. Double-cliquez sur une adresse ou appuyez sur Suppr pour la supprimer.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;Add RSS Feed URL</source>
        <translation>&amp;Ajouter un flux</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&amp;Load RSS URLs From File</source>
        <translation>Charger un &amp;fichier</translation>
    </message>
    <message>
        <location line="+2"/>
        <location line="+194"/>
        <source>&amp;Start Retrieving Data</source>
        <translation>&amp;Récupérer les flux</translation>
    </message>
    <message>
        <location line="-187"/>
        <source>Move bar to right and out of window to reveal full names.</source>
        <translation>Déplacez le séparateur vers la droite, hors de la fenêtre, pour voir les noms en entier.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Results</source>
        <translation>Résultats</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The items retrieved: feed address, title, description and link. Checked items are saved.</source>
        <translation>Les éléments récupérés&#xa0;: adresse du flux, titre, description et lien. Les éléments cochés sont enregistrés.</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>&amp;Check All</source>
        <translation>&amp;Tout cocher</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Uncheck All</source>
        <translation>Tout dé&amp;cocher</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Save Text File(s) To This &amp;Folder</source>
        <translation>Enregistrer les fichiers texte dans ce &amp;dossier</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Output folder</source>
        <translation>Dossier de destination</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The folder the checked results are saved to.</source>
        <translation>Le dossier où les résultats cochés sont enregistrés.</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Browse for output folder</source>
        <translation>Choisir le dossier de destination</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Choose the folder the results are saved to.</source>
        <translation>Choisir le dossier où les résultats sont enregistrés.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Save Results As &amp;HTML</source>
        <translation>Enregistrer les résultats en &amp;HTML</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Retrieval progress</source>
        <translation>Progression de la récupération</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>How much of the feed list has been retrieved.</source>
        <translation>Part de la liste de flux déjà récupérée.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Alt+B</source>
        <translation>Alt+P</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Browse for output folder (Alt+B)</source>
        <translation>Parcourir pour choisir le dossier de destination (Alt+P)</translation>
    </message>
    <message>
        <location line="+49"/>
        <location line="+5"/>
        <source>Feed URL(s)</source>
        <translation>Adresse(s) des flux</translation>
    </message>
    <message>
        <location line="-3"/>
        <source>Status</source>
        <translation>État</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Result(s)</source>
        <translation>Résultat(s)</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Description</source>
        <translation>Description</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>Enter website address to add: </source>
        <translation>Adresse web à ajouter&#xa0;: </translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Add File(s) - Use Ctrl &amp; Shift to select multiple files</source>
        <translation>Ajouter des fichiers – Ctrl et Maj pour en sélectionner plusieurs</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Feed lists (*.txt *.opml *.xml);;Text Files (*.txt);;All Files (*)</source>
        <translation>Listes de flux (*.txt *.opml *.xml);;Fichiers texte (*.txt);;Tous les fichiers (*)</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Please select just one file.</source>
        <translation>Veuillez sélectionner un seul fichier.</translation>
    </message>
    <message>
        <location line="+24"/>
        <source>No files added.</source>
        <translation>Aucun fichier ajouté.</translation>
    </message>
    <message>
        <location line="+26"/>
        <source>&amp;Stop Retrieving Data</source>
        <translation>Arrêter la &amp;récupération</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>Stopped.</source>
        <translation>Arrêté.</translation>
    </message>
    <message>
        <location line="+0"/>
        <location line="+65"/>
        <source>Done.</source>
        <translation>Terminé.</translation>
    </message>
    <message numerus="yes">
        <location line="-59"/>
        <source>

%n of %1 feeds were not read; see the Status column.</source>
        <translation>
            <numerusform>

%n flux sur %1 n’a pas été lu&#x202f;; voir la colonne «&#xa0;État&#xa0;».</numerusform>
            <numerusform>

%n flux sur %1 n’ont pas été lus&#x202f;; voir la colonne «&#xa0;État&#xa0;».</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+1"/>
        <source>

%n of %1 feeds could not be read; see the Status column.</source>
        <translation>
            <numerusform>

%n flux sur %1 n’a pas pu être lu&#x202f;; voir la colonne «&#xa0;État&#xa0;».</numerusform>
            <numerusform>

%n flux sur %1 n’ont pas pu être lus&#x202f;; voir la colonne «&#xa0;État&#xa0;».</numerusform>
        </translation>
    </message>
    <message>
        <location line="+47"/>
        <source>Application Error</source>
        <translation>Erreur de l’application</translation>
    </message>
    <message>
        <location line="+18"/>
        <source>Please select folder:</source>
        <translation>Veuillez sélectionner un dossier&#xa0;:</translation>
    </message>
</context>
<context>
    <name>lumeward::window::ResultListActions</name>
    <message>
        <location filename="../src/window/ResultListActions.cpp" line="+21"/>
        <source>Open Link</source>
        <translation>Ouvrir le lien</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Copy Link</source>
        <translation>Copier le lien</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Save Checked As Web Pages…</source>
        <translation>Enregistrer les éléments cochés comme pages web…</translation>
    </message>
</context>
<context>
    <name>lumeward::window::RetrievalInWindow</name>
    <message>
        <location filename="../src/window/RetrievalInWindow.h" line="+39"/>
        <source>Waiting</source>
        <translation>En attente</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Reading</source>
        <translation>Lecture en cours</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <location filename="../src/shell/main.cpp" line="+43"/>
        <source>; a second Lumeward will open a window of its own</source>
        <translation>&#x202f;; un second Lumeward ouvrira sa propre fenêtre</translation>
    </message>
</context>
</TS>
