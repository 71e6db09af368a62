<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>About</name>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>Copyright © 2026 the Ravelin developers.</source>
        <translation>Copyright © 2026 die Entwickler von Ravelin.</translation>
    </message>
    <message>
        <source>Provided as it is, without warranty of any kind.</source>
        <translation>Wie besehen, ohne jede Gewährleistung.</translation>
    </message>
</context>
<context>
    <name>FolderListBox</name>
    <message>
        <source>The folder %1 cannot be opened. It may have been removed, or you may not have permission to read it.</source>
        <translation>Der Ordner %1 kann nicht geöffnet werden. Vielleicht wurde er entfernt, oder Sie haben keine Berechtigung, ihn zu lesen.</translation>
    </message>
</context>
<context>
    <name>Help</name>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Help page</source>
        <translation>Hilfeseite</translation>
    </message>
    <message>
        <source>help.html</source>
        <comment>the file name of the help page in this language</comment>
        <translation>help.de.html</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Zurück</translation>
    </message>
    <message>
        <source>Forward</source>
        <translation>Vorwärts</translation>
    </message>
    <message>
        <source>Home</source>
        <translation>Startseite</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>No web browser could be started to show %1. Please open this address in your web browser.</source>
        <translation>Es konnte kein Webbrowser gestartet werden, um %1 anzuzeigen. Bitte öffnen Sie diese Adresse selbst in Ihrem Webbrowser.</translation>
    </message>
</context>
<context>
    <name>HelpBrowser</name>
    <message>
        <source>&lt;html&gt;&lt;head&gt;&lt;title&gt;Page not found&lt;/title&gt;&lt;/head&gt;&lt;body&gt;&lt;h2&gt;The page cannot be found&lt;/h2&gt;&lt;p&gt;The help page &lt;b&gt;%1&lt;/b&gt; is missing or cannot be read. It is installed beside the program; installing Ravelin again puts it back.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head&gt;&lt;title&gt;Seite nicht gefunden&lt;/title&gt;&lt;/head&gt;&lt;body&gt;&lt;h2&gt;Die Seite wurde nicht gefunden&lt;/h2&gt;&lt;p&gt;Die Hilfeseite &lt;b&gt;%1&lt;/b&gt; fehlt oder kann nicht gelesen werden. Sie wird zusammen mit dem Programm installiert; eine erneute Installation von Ravelin stellt sie wieder her.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
</context>
<context>
    <name>ImageBox</name>
    <message>
        <source>no picture</source>
        <translation>kein Bild</translation>
    </message>
</context>
<context>
    <name>MoveFileWindow</name>
    <message>
        <source>Move Files</source>
        <translation>Dateien verschieben</translation>
    </message>
    <message>
        <source>Create new Folder</source>
        <translation>Neuen Ordner anlegen</translation>
    </message>
    <message>
        <source>Select New Folder</source>
        <translation>Zielordner wählen</translation>
    </message>
    <message>
        <source>Current</source>
        <translation>Aktuell</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Vorschau</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Drive</source>
        <translation>Laufwerk</translation>
    </message>
    <message>
        <source>Destination folder</source>
        <translation>Zielordner</translation>
    </message>
    <message>
        <source>Move Pictures</source>
        <translation>Bilder verschieben</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Drive Can not be found.</source>
        <translation>Das Laufwerk wurde nicht gefunden.</translation>
    </message>
    <message>
        <source>Folder may already Exist</source>
        <translation>Der Ordner existiert möglicherweise bereits.</translation>
    </message>
    <message>
        <source>Can not create folder</source>
        <translation>Ordner kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>Are you sure you want to MOVE these files ?</source>
        <translation>Möchten Sie diese Dateien wirklich VERSCHIEBEN?</translation>
    </message>
    <message>
        <source> Files moved!</source>
        <translation> Dateien verschoben!</translation>
    </message>
    <message>
        <source>These files were not moved:</source>
        <translation>Diese Dateien wurden nicht verschoben:</translation>
    </message>
    <message>
        <source>No destination was chosen.</source>
        <translation>Es wurde kein Ziel gewählt.</translation>
    </message>
    <message>
        <source>Moving files… %1 of %2</source>
        <translation>Dateien werden verschoben… %1 von %2</translation>
    </message>
</context>
<context>
    <name>PictureFile</name>
    <message>
        <source>This is not a picture file but a device, a pipe or the like.</source>
        <translation>Dies ist keine Bilddatei, sondern ein Gerät, eine Pipe oder Ähnliches.</translation>
    </message>
</context>
<context>
    <name>PictureLoader</name>
    <message>
        <source>The picture claims to be %1 x %2 pixels, which is too large.</source>
        <translation>Das Bild gibt an, %1 × %2 Pixel groß zu sein; das ist zu groß.</translation>
    </message>
    <message>
        <source>The picture&apos;s header is not near the start of the file.</source>
        <translation>Der Kopf des Bildes steht nicht am Anfang der Datei.</translation>
    </message>
    <message>
        <source>The picture has more than %1 scans, more than any camera or program writes.</source>
        <translation>Das Bild hat mehr als %1 Scans, mehr als irgendeine Kamera oder ein Programm schreibt.</translation>
    </message>
    <message>
        <source>The file holds far more data than a picture of its size needs.</source>
        <translation>Die Datei enthält weit mehr Daten, als ein Bild dieser Größe braucht.</translation>
    </message>
    <message>
        <source>The picture carries far more text than any picture needs.</source>
        <translation>Das Bild enthält weit mehr Text, als irgendein Bild braucht.</translation>
    </message>
    <message>
        <source>The file is %1 MB, more than any camera writes.</source>
        <translation>Die Datei ist %1 MB groß, mehr als irgendeine Kamera schreibt.</translation>
    </message>
    <message>
        <source>The file could not be read whole.</source>
        <translation>Die Datei konnte nicht vollständig gelesen werden.</translation>
    </message>
    <message>
        <source>The HEIF file cannot be read: %1.</source>
        <translation>Die HEIF-Datei kann nicht gelesen werden: %1.</translation>
    </message>
    <message>
        <source>The RAW file cannot be read: %1.</source>
        <translation>Die RAW-Datei kann nicht gelesen werden: %1.</translation>
    </message>
    <message>
        <source>The RAW file holds no picture that can be shown without developing it.</source>
        <translation>Die RAW-Datei enthält kein Bild, das sich ohne Entwickeln anzeigen lässt.</translation>
    </message>
    <message>
        <source>The RAW file&apos;s embedded picture cannot be read: %1.</source>
        <translation>Das eingebettete Bild der RAW-Datei kann nicht gelesen werden: %1.</translation>
    </message>
    <message>
        <source>The RAW file&apos;s embedded picture is damaged.</source>
        <translation>Das eingebettete Bild der RAW-Datei ist beschädigt.</translation>
    </message>
    <message>
        <source>The RAW file&apos;s embedded picture is in a form that cannot be shown.</source>
        <translation>Das eingebettete Bild der RAW-Datei liegt in einer Form vor, die nicht angezeigt werden kann.</translation>
    </message>
    <message>
        <source>The RAW file&apos;s embedded picture cannot be shown: %1</source>
        <translation>Das eingebettete Bild der RAW-Datei kann nicht angezeigt werden: %1</translation>
    </message>
    <message>
        <source>The HEIF reader could not start.</source>
        <translation>Der HEIF-Leser konnte nicht gestartet werden.</translation>
    </message>
    <message>
        <source>The HEIF file holds a picture without a size.</source>
        <translation>Die HEIF-Datei enthält ein Bild ohne Größe.</translation>
    </message>
    <message>
        <source>The HEIF file&apos;s picture could not be decoded.</source>
        <translation>Das Bild der HEIF-Datei konnte nicht dekodiert werden.</translation>
    </message>
    <message>
        <source>The file is empty.</source>
        <translation>Die Datei ist leer.</translation>
    </message>
    <message>
        <source>The embedded picture has more than %1 scans, more than any camera writes.</source>
        <translation>Das eingebettete Bild hat mehr als %1 Scans, mehr als irgendeine Kamera schreibt.</translation>
    </message>
</context>
<context>
    <name>Rename</name>
    <message>
        <source>Rename</source>
        <translation>Umbenennen</translation>
    </message>
    <message>
        <source>Current File Names</source>
        <translation>Aktuelle Dateinamen</translation>
    </message>
    <message>
        <source>Prefix</source>
        <translation>Präfix</translation>
    </message>
    <message>
        <source>Count Start</source>
        <translation>Startzahl</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Vorschau</translation>
    </message>
    <message>
        <source>Preview the new names</source>
        <translation>Vorschau der neuen Namen</translation>
    </message>
    <message>
        <source>Begin each name with the date taken</source>
        <translation>Jeden Namen mit dem Aufnahmedatum beginnen</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Are you sure you want to RENAME these files ?</source>
        <translation>Möchten Sie diese Dateien wirklich UMBENENNEN?</translation>
    </message>
    <message>
        <source>Unable to Rename. File may already exist!

</source>
        <translation>Umbenennen nicht möglich. Die Datei existiert möglicherweise bereits!

</translation>
    </message>
    <message>
        <source>The new file name would be empty. Please type a Prefix.</source>
        <translation>Der neue Dateiname wäre leer. Bitte geben Sie ein Präfix ein.</translation>
    </message>
    <message>
        <source>A file can not be named &quot;.&quot; or &quot;..&quot;. Please change the Prefix.</source>
        <translation>Eine Datei kann nicht „.“ oder „..“ heißen. Bitte ändern Sie das Präfix.</translation>
    </message>
    <message>
        <source>A new name can not start with a dot: the picture would be hidden. Please change the Prefix.</source>
        <translation>Ein neuer Name darf nicht mit einem Punkt beginnen, sonst wäre das Bild versteckt. Bitte ändern Sie das Präfix.</translation>
    </message>
    <message>
        <source>The Prefix can not contain \ or /: the pictures are renamed in their own folders.</source>
        <translation>Das Präfix darf weder \ noch / enthalten: Die Bilder werden in ihren eigenen Ordnern umbenannt.</translation>
    </message>
    <message>
        <source>A file name can not hold the characters \ / : * ? &quot; &lt; &gt; | or control characters. Please change the Prefix.</source>
        <translation>Ein Dateiname darf die Zeichen \ / : * ? &quot; &lt; &gt; | und Steuerzeichen nicht enthalten. Bitte ändern Sie das Präfix.</translation>
    </message>
    <message>
        <source>A file name can not hold control characters. Please change the Prefix.</source>
        <translation>Ein Dateiname darf keine Steuerzeichen enthalten. Bitte ändern Sie das Präfix.</translation>
    </message>
    <message>
        <source>A file name can not end in a dot or a blank. Please change the Prefix.</source>
        <translation>Ein Dateiname darf nicht auf einen Punkt oder ein Leerzeichen enden. Bitte ändern Sie das Präfix.</translation>
    </message>
    <message>
        <source>The Prefix is a device name (such as CON, PRN, AUX, NUL, COM1 or LPT1) that can not name a file. Please change the Prefix.</source>
        <translation>Das Präfix ist ein Gerätename (wie CON, PRN, AUX, NUL, COM1 oder LPT1), der keine Datei benennen kann. Bitte ändern Sie das Präfix.</translation>
    </message>
    <message>
        <source>The new names must stay in the folder of each picture. Please build the Preview again.</source>
        <translation>Die neuen Namen müssen im Ordner des jeweiligen Bildes bleiben. Bitte erstellen Sie die Vorschau neu.</translation>
    </message>
    <message>
        <source>Renaming files… %1 of %2</source>
        <translation>Dateien werden umbenannt… %1 von %2</translation>
    </message>
</context>
<context>
    <name>ThumbnailView</name>
    <message>
        <source>marked</source>
        <translation>markiert</translation>
    </message>
    <message>
        <source>not marked</source>
        <translation>nicht markiert</translation>
    </message>
</context>
<context>
    <name>commandline</name>
    <message>
        <source>no such folder or picture</source>
        <translation>kein solcher Ordner und kein solches Bild</translation>
    </message>
    <message>
        <source>the folder cannot be read</source>
        <translation>der Ordner kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>not a folder or a picture Ravelin can show</source>
        <translation>weder ein Ordner noch ein Bild, das Ravelin zeigen kann</translation>
    </message>
    <message>
        <source>the picture cannot be read</source>
        <translation>das Bild kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>its folder cannot be read</source>
        <translation>sein Ordner kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>Sorts the pictures from your camera: a grid of thumbnails to select from, then rename, move or delete.</source>
        <translation>Sortiert die Bilder Ihrer Kamera: Miniaturbilder zum Auswählen, dann umbenennen, verschieben oder löschen.</translation>
    </message>
    <message>
        <source>Shows this help and ends.</source>
        <translation>Zeigt diese Hilfe an und beendet sich.</translation>
    </message>
    <message>
        <source>Shows the version and ends.</source>
        <translation>Zeigt die Version an und beendet sich.</translation>
    </message>
    <message>
        <source>The folder to open, or a picture to open its folder (the current folder when none is given).</source>
        <translation>Der zu öffnende Ordner oder ein Bild, dessen Ordner geöffnet wird (ohne Angabe der aktuelle Ordner).</translation>
    </message>
    <message>
        <source>folder</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>[folder|picture]</source>
        <translation>[Ordner|Bild]</translation>
    </message>
    <message>
        <source>give at most one folder or picture</source>
        <translation>geben Sie höchstens einen Ordner oder ein Bild an</translation>
    </message>
</context>
<context>
    <name>frmMain</name>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>Select Drive or Device</source>
        <translation>Laufwerk oder Gerät wählen</translation>
    </message>
    <message>
        <source>Drive</source>
        <translation>Laufwerk</translation>
    </message>
    <message>
        <source>Select Folder</source>
        <translation>Ordner wählen</translation>
    </message>
    <message>
        <source>Folders</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>Selected pictures</source>
        <translation>Ausgewählte Bilder</translation>
    </message>
    <message>
        <source>Select files</source>
        <translation>Dateien wählen</translation>
    </message>
    <message>
        <source>Picture files</source>
        <translation>Bilddateien</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>Alle auswählen</translation>
    </message>
    <message>
        <source>Select None</source>
        <translation>Auswahl aufheben</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Rename</source>
        <translation>Umbenennen</translation>
    </message>
    <message>
        <source>Move</source>
        <translation>Verschieben</translation>
    </message>
    <message>
        <source>&amp;Tools</source>
        <translation>E&amp;xtras</translation>
    </message>
    <message>
        <source>&amp;Options...</source>
        <translation>&amp;Optionen...</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>&amp;Contents</source>
        <translation>&amp;Inhalt</translation>
    </message>
    <message>
        <source>&amp;About </source>
        <translation>&amp;Über </translation>
    </message>
    <message>
        <source>Ravelin is already running!</source>
        <translation>Ravelin läuft bereits!</translation>
    </message>
    <message>
        <source>Ravelin cannot tell whether another copy of it is running, and starts anyway.

%1</source>
        <translation>Ravelin kann nicht feststellen, ob bereits eine andere Instanz läuft, und startet trotzdem.

%1</translation>
    </message>
    <message>
        <source>Drive Can not be found.</source>
        <translation>Das Laufwerk wurde nicht gefunden.</translation>
    </message>
    <message>
        <source>Are you sure you want to MOVE these files ?</source>
        <translation type="vanished">Möchten Sie diese Dateien wirklich VERSCHIEBEN?</translation>
    </message>
    <message>
        <source> Files moved!</source>
        <translation type="vanished"> Dateien verschoben!</translation>
    </message>
    <message>
        <source>These files were not moved:</source>
        <translation type="vanished">Diese Dateien wurden nicht verschoben:</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>Rückgängig</translation>
    </message>
</context>
<context>
    <name>FileCommands</name>
    <message>
        <source>Are you sure you want to DELETE selected files ?</source>
        <translation>Möchten Sie die ausgewählten Dateien wirklich LÖSCHEN?</translation>
    </message>
    <message>
        <source>These files could not be deleted:</source>
        <translation>Diese Dateien konnten nicht gelöscht werden:</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>Rückgängig</translation>
    </message>
    <message>
        <source>1 was</source>
        <translation>1 wurde</translation>
    </message>
    <message numerus="yes">
        <source>%n were</source>
        <translation>
            <numerusform>%n wurde</numerusform>
            <numerusform>%n wurden</numerusform>
        </translation>
    </message>
    <message>
        <source>Undo %1</source>
        <translation>Rückgängig: %1</translation>
    </message>
    <message>
        <source>Are you sure you want to UNDO the %1 ?</source>
        <translation>Möchten Sie das %1 wirklich RÜCKGÄNGIG machen?</translation>
    </message>
    <message>
        <source>The %1 was undone.</source>
        <translation>Das %1 wurde rückgängig gemacht.</translation>
    </message>
    <message>
        <source>Undo of the %1: %2 brought back. These were not:</source>
        <translation>Das %1 wurde nur zum Teil rückgängig gemacht: %2 zurückgeholt. Diese nicht:</translation>
    </message>
    <message>
        <source>It could not be set aside and stays as %1.</source>
        <translation>Das Protokoll konnte nicht beiseitegelegt werden und bleibt als %1 bestehen.</translation>
    </message>
    <message>
        <source>It was set aside as %1.</source>
        <translation>Das Protokoll wurde als %1 beiseitegelegt.</translation>
    </message>
    <message>
        <source>The record Ravelin keeps of its last batch is damaged, so nothing was done with it: %1

%2</source>
        <translation>Das Protokoll, das Ravelin über seinen letzten Vorgang führt, ist beschädigt, deshalb wurde nichts damit getan: %1

%2</translation>
    </message>
    <message>
        <source>Ravelin was stopped while it was undoing the last batch, the %1.</source>
        <translation>Ravelin wurde beendet, während es den letzten Vorgang rückgängig machte: das %1.</translation>
    </message>
    <message>
        <source>Ravelin was stopped before it finished the last batch, the %1.</source>
        <translation>Ravelin wurde beendet, bevor es den letzten Vorgang abgeschlossen hatte: das %1.</translation>
    </message>
    <message>
        <source>

The unfinished copies it was making on another drive were removed (%1).</source>
        <translation>

Die unfertigen Kopien, die es auf einem anderen Laufwerk anlegte, wurden entfernt (%1).</translation>
    </message>
    <message>
        <source>

Some of its files have changed since, so nothing of it will be undone. </source>
        <translation>

Einige seiner Dateien haben sich seitdem verändert, deshalb wird nichts davon rückgängig gemacht. </translation>
    </message>
    <message>
        <source>

The files that changed:</source>
        <translation>

Die veränderten Dateien:</translation>
    </message>
    <message>
        <source>

1 picture is still to be brought back.</source>
        <translation>

1 Bild muss noch zurückgeholt werden.</translation>
    </message>
    <message numerus="yes">
        <source>

%n pictures are still to be brought back.</source>
        <translation>
            <numerusform>

%n Bild muss noch zurückgeholt werden.</numerusform>
            <numerusform>

%n Bilder müssen noch zurückgeholt werden.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>

Of its %n pictures, %1 done and %2 not.</source>
        <translation>
            <numerusform>

Von %n Bild: %1 erledigt, %2 nicht.</numerusform>
            <numerusform>

Von %n Bildern: %1 erledigt, %2 nicht.</numerusform>
        </translation>
    </message>
    <message>
        <source>

Of its 1 picture, %1 done and %2 not.</source>
        <translation>

Von 1 Bild: %1 erledigt, %2 nicht.</translation>
    </message>
    <message>
        <source>

Pictures deleted for good cannot be brought back.</source>
        <translation>

Endgültig gelöschte Bilder können nicht zurückgeholt werden.</translation>
    </message>
    <message>
        <source>

Do you want to bring them back now?</source>
        <translation>

Möchten Sie sie jetzt zurückholen?</translation>
    </message>
    <message>
        <source>

Do you want to undo what was done? You can also do it later with Edit &gt; Undo.</source>
        <translation>

Möchten Sie rückgängig machen, was schon erledigt wurde? Sie können das auch später mit Bearbeiten &gt; Rückgängig tun.</translation>
    </message>
    <message>
        <source>Deleting files… %1 of %2</source>
        <translation>Dateien werden gelöscht… %1 von %2</translation>
    </message>
    <message>
        <source>Undoing the %1… %2 of %3</source>
        <translation>Das %1 wird rückgängig gemacht… %2 von %3</translation>
    </message>
    <message>
        <source> Until it is gone, Ravelin keeps no record of its batches, so they cannot be undone.</source>
        <translation> Solange es dort ist, führt Ravelin kein Protokoll seiner Vorgänge, und sie lassen sich nicht rückgängig machen.</translation>
    </message>
    <message>
        <source>

1 picture was in both places; its rename was finished.</source>
        <translation>

1 Bild war an beiden Orten; sein Umbenennen wurde abgeschlossen.</translation>
    </message>
    <message numerus="yes">
        <source>

%n pictures were in both places; their renames were finished.</source>
        <translation>
            <numerusform>

%n Bild war an beiden Orten; sein Umbenennen wurde abgeschlossen.</numerusform>
            <numerusform>

%n Bilder waren an beiden Orten; ihr Umbenennen wurde abgeschlossen.</numerusform>
        </translation>
    </message>
    <message>
        <source>

1 picture was in both places; its move was finished.</source>
        <translation>

1 Bild war an beiden Orten; sein Verschieben wurde abgeschlossen.</translation>
    </message>
    <message numerus="yes">
        <source>

%n pictures were in both places; their moves were finished.</source>
        <translation>
            <numerusform>

%n Bild war an beiden Orten; sein Verschieben wurde abgeschlossen.</numerusform>
            <numerusform>

%n Bilder waren an beiden Orten; ihr Verschieben wurde abgeschlossen.</numerusform>
        </translation>
    </message>
    <message>
        <source>

%1 and %2 were both there, with different contents; both were kept.</source>
        <translation>

%1 und %2 waren beide vorhanden, mit verschiedenem Inhalt; beide wurden behalten.</translation>
    </message>
</context>
<context>
    <name>ThumbnailGrid</name>
    <message>
        <source>Thumbnails</source>
        <translation>Miniaturbilder</translation>
    </message>
    <message>
        <source>Scroll thumbnails</source>
        <translation>Miniaturbilder blättern</translation>
    </message>
    <message>
        <source>View Thumbnails</source>
        <translation>Miniaturbilder anzeigen</translation>
    </message>
    <message>
        <source>Loading thumbnails</source>
        <translation>Miniaturbilder werden geladen</translation>
    </message>
    <message>
        <source>Show in file manager</source>
        <translation>Im Dateimanager anzeigen</translation>
    </message>
    <message>
        <source>No file manager could be started to show the folder %1.</source>
        <translation>Es konnte kein Dateimanager gestartet werden, um den Ordner %1 anzuzeigen.</translation>
    </message>
</context>
<context>
    <name>frmOptions</name>
    <message>
        <source>Options</source>
        <translation>Optionen</translation>
    </message>
    <message>
        <source>Picture Format</source>
        <translation>Bildformat</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Recycle Bin</source>
        <translation>Papierkorb</translation>
    </message>
    <message>
        <source>Permenant Delete</source>
        <translation>Endgültig löschen</translation>
    </message>
    <message>
        <source>Thumbnails</source>
        <translation>Miniaturbilder</translation>
    </message>
    <message>
        <source>Automatically Load Thumbnails when navigating Folders.</source>
        <translation>Miniaturbilder beim Wechsel des Ordners automatisch laden.</translation>
    </message>
    <message>
        <source>Manually Load Thumbnails.</source>
        <translation>Miniaturbilder von Hand laden.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>You must select a Picture Format</source>
        <translation>Sie müssen ein Bildformat auswählen.</translation>
    </message>
    <message>
        <source>Camera RAW</source>
        <translation>Kamera-RAW</translation>
    </message>
    <message>
        <source>More formats</source>
        <translation>Weitere Formate</translation>
    </message>
    <message>
        <source>Keep RAW and JPEG pairs together</source>
        <translation>RAW- und JPEG-Paare zusammenhalten</translation>
    </message>
    <message>
        <source>Keep each picture&apos;s proportions</source>
        <translation>Seitenverhältnis jedes Bildes beibehalten</translation>
    </message>
    <message>
        <source>Remember these choices at the next start</source>
        <translation>Diese Auswahl für den nächsten Start merken</translation>
    </message>
    <message>
        <source>Order pictures by the time they were taken</source>
        <translation>Bilder nach der Aufnahmezeit ordnen</translation>
    </message>
    <message>
        <source>Your choices apply now, but Ravelin cannot keep them for the next start: %1 cannot be written.</source>
        <translation>Ihre Auswahl gilt jetzt, aber Ravelin kann sie nicht für den nächsten Start aufbewahren: %1 kann nicht geschrieben werden.</translation>
    </message>
</context>
<context>
    <name>frmSplash</name>
    <message>
        <source>Loading ...</source>
        <translation>Wird geladen ...</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
</context>
<context>
    <name>jobs</name>
    <message>
        <source>Its new name is %1 %2 long; this drive takes at most %3.</source>
        <translation>Der neue Name ist %1 %2 lang; dieses Laufwerk erlaubt höchstens %3.</translation>
    </message>
    <message>
        <source>characters</source>
        <translation>Zeichen</translation>
    </message>
    <message>
        <source>bytes</source>
        <translation>Bytes</translation>
    </message>
    <message>
        <source>Another picture of this rename gets the same new name, %1.</source>
        <translation>Ein anderes Bild dieser Umbenennung bekommt denselben neuen Namen, %1.</translation>
    </message>
    <message>
        <source>Its new name, %1, is still taken by a picture further down the list.</source>
        <translation type="vanished">Der neue Name %1 ist noch von einem Bild weiter unten in der Liste belegt.</translation>
    </message>
    <message>
        <source>A file named %1 is already there.</source>
        <translation>Eine Datei namens %1 ist dort bereits vorhanden.</translation>
    </message>
    <message>
        <source>

No picture was renamed.</source>
        <translation>

Es wurde kein Bild umbenannt.</translation>
    </message>
    <message>
        <source>

... and %1 more.</source>
        <translation>

… und %1 weitere.</translation>
    </message>
    <message>
        <source>It is now %1 and could not be put back: %2</source>
        <translation>Sie liegt jetzt unter %1 und konnte nicht zurückgebracht werden: %2</translation>
    </message>
    <message>
        <source>It stays with %1, which cannot be moved.</source>
        <translation>Sie bleibt bei %1; diese Datei kann nicht verschoben werden.</translation>
    </message>
    <message>
        <source>It has no destination.</source>
        <translation>Sie hat kein Ziel.</translation>
    </message>
    <message>
        <source>Its new name, %1, is taken by another picture of this rename, which can give it up only after this one is renamed.</source>
        <translation>Ihr neuer Name %1 gehört einem anderen Bild dieses Umbenennens, das ihn erst abgeben kann, nachdem dieses umbenannt ist.</translation>
    </message>
</context>
<context>
    <name>journal</name>
    <message>
        <source>It is empty.</source>
        <translation>Es ist leer.</translation>
    </message>
    <message>
        <source>It does not start with a batch.</source>
        <translation>Es beginnt nicht mit einem Vorgang.</translation>
    </message>
    <message>
        <source>It was written by another version of Ravelin.</source>
        <translation>Es wurde von einer anderen Version von Ravelin geschrieben.</translation>
    </message>
    <message>
        <source>It names no known kind of batch.</source>
        <translation>Es nennt keine bekannte Art von Vorgang.</translation>
    </message>
    <message>
        <source>Its plan is cut short.</source>
        <translation>Sein Plan bricht vorzeitig ab.</translation>
    </message>
    <message>
        <source>Its plan is damaged.</source>
        <translation>Sein Plan ist beschädigt.</translation>
    </message>
    <message>
        <source>A record of a file done is damaged.</source>
        <translation>Ein Eintrag über eine erledigte Datei ist beschädigt.</translation>
    </message>
    <message>
        <source>Its record %1 makes no sense.</source>
        <translation>Sein Eintrag %1 ergibt keinen Sinn.</translation>
    </message>
    <message>
        <source>It is far too large.</source>
        <translation>Es ist viel zu groß.</translation>
    </message>
    <message>
        <source>It is cut short.</source>
        <translation>Es bricht vorzeitig ab.</translation>
    </message>
    <message>
        <source>Its line %1 is damaged.</source>
        <translation>Seine Zeile %1 ist beschädigt.</translation>
    </message>
    <message>
        <source>Its plan names a file that is not a picture of a batch: %1</source>
        <translation>Sein Plan nennt eine Datei, die kein Bild eines Vorgangs ist: %1</translation>
    </message>
</context>
<context>
    <name>platform</name>
    <message>
        <source>No new name was given.</source>
        <translation>Es wurde kein neuer Name angegeben.</translation>
    </message>
    <message>
        <source>No destination was chosen.</source>
        <translation>Es wurde kein Ziel gewählt.</translation>
    </message>
    <message>
        <source>The name holds characters a file name cannot have.</source>
        <translation>Der Name enthält Zeichen, die in einem Dateinamen nicht erlaubt sind.</translation>
    </message>
    <message>
        <source>The new name must stay in the same folder.</source>
        <translation>Der neue Name muss im selben Ordner bleiben.</translation>
    </message>
    <message>
        <source>The file is no longer there.</source>
        <translation>Die Datei ist nicht mehr vorhanden.</translation>
    </message>
    <message>
        <source>A folder now has the file&apos;s name.</source>
        <translation>Ein Ordner trägt inzwischen den Namen der Datei.</translation>
    </message>
    <message>
        <source>A file of that name is already there.</source>
        <translation>Eine Datei dieses Namens ist bereits vorhanden.</translation>
    </message>
    <message>
        <source>The destination folder is not there.</source>
        <translation>Der Zielordner ist nicht vorhanden.</translation>
    </message>
    <message>
        <source>No permission to move the file.</source>
        <translation>Keine Berechtigung, die Datei zu verschieben.</translation>
    </message>
    <message>
        <source>The destination disk is full.</source>
        <translation>Der Zieldatenträger ist voll.</translation>
    </message>
    <message>
        <source>The destination cannot be written to.</source>
        <translation>Auf das Ziel kann nicht geschrieben werden.</translation>
    </message>
    <message>
        <source>Only plain files can be moved to another drive.</source>
        <translation>Nur gewöhnliche Dateien können auf ein anderes Laufwerk verschoben werden.</translation>
    </message>
    <message>
        <source>The file changed while it was being moved.</source>
        <translation>Die Datei wurde während des Verschiebens verändert.</translation>
    </message>
    <message>
        <source>The copy did not come out whole.</source>
        <translation>Die Kopie ist nicht vollständig geworden.</translation>
    </message>
    <message>
        <source>There is no Recycle Bin for this drive.</source>
        <translation>Für dieses Laufwerk gibt es keinen Papierkorb.</translation>
    </message>
    <message>
        <source>The trash folder %1 cannot be made.</source>
        <translation>Der Papierkorbordner %1 kann nicht angelegt werden.</translation>
    </message>
    <message>
        <source>The trash folder %1 is not a folder.</source>
        <translation>Der Papierkorbordner %1 ist kein Ordner.</translation>
    </message>
    <message>
        <source>The trash folder %1 cannot be written to.</source>
        <translation>In den Papierkorbordner %1 kann nicht geschrieben werden.</translation>
    </message>
    <message>
        <source>The name is too long for the trash.</source>
        <translation>Der Name ist für den Papierkorb zu lang.</translation>
    </message>
    <message>
        <source>That is not a folder name.</source>
        <translation>Das ist kein gültiger Ordnername.</translation>
    </message>
    <message>
        <source>A file or folder of that name already exists.</source>
        <translation>Eine Datei oder ein Ordner dieses Namens existiert bereits.</translation>
    </message>
    <message>
        <source>The folder to create it in does not exist.</source>
        <translation>Der Ordner, in dem er angelegt werden soll, existiert nicht.</translation>
    </message>
    <message>
        <source>The folder could not be created.</source>
        <translation>Der Ordner konnte nicht angelegt werden.</translation>
    </message>
    <message>
        <source>Cannot open the folder %1.</source>
        <translation>Der Ordner %1 kann nicht geöffnet werden.</translation>
    </message>
    <message>
        <source>The file could not be moved (error %1).</source>
        <translation>Die Datei konnte nicht verschoben werden (Fehler %1).</translation>
    </message>
    <message>
        <source>The folder %1 cannot be made: %2.</source>
        <translation>Der Ordner %1 kann nicht angelegt werden: %2.</translation>
    </message>
    <message>
        <source>The folder %1 is not a private folder of yours.</source>
        <translation>Der Ordner %1 gehört nicht allein Ihnen.</translation>
    </message>
    <message>
        <source>Its lock file %1 cannot be made.</source>
        <translation>Die Sperrdatei %1 kann nicht angelegt werden.</translation>
    </message>
    <message>
        <source>The disk reported an input/output error.</source>
        <translation>Der Datenträger meldete einen Ein-/Ausgabefehler.</translation>
    </message>
    <message>
        <source>The file has changed since, so it was left as it is.</source>
        <translation>Die Datei hat sich seitdem verändert und wurde deshalb so belassen, wie sie ist.</translation>
    </message>
    <message>
        <source>Its folder is no longer the one it was: a link or another folder has taken its place.</source>
        <translation>Ihr Ordner ist nicht mehr derselbe: Eine Verknüpfung oder ein anderer Ordner ist an seine Stelle getreten.</translation>
    </message>
    <message>
        <source>It is no longer in the Recycle Bin: it was emptied or the file was taken out.</source>
        <translation>Sie ist nicht mehr im Papierkorb: Er wurde geleert, oder die Datei wurde herausgenommen.</translation>
    </message>
    <message>
        <source>Its record in the Recycle Bin no longer names its place.</source>
        <translation>Ihr Eintrag im Papierkorb nennt ihren Ort nicht mehr.</translation>
    </message>
    <message>
        <source>The folder is not empty or is gone.</source>
        <translation>Der Ordner ist nicht leer oder nicht mehr vorhanden.</translation>
    </message>
    <message>
        <source>It is not a plain file of your own.</source>
        <translation>Sie ist keine gewöhnliche Datei, die Ihnen gehört.</translation>
    </message>
    <message>
        <source>The disk of the Recycle Bin is full: its record of the picture could not be written, so the picture stayed where it was, and nothing more was moved there.</source>
        <translation>Das Laufwerk des Papierkorbs ist voll: Sein Eintrag zum Bild konnte nicht geschrieben werden, daher blieb das Bild, wo es war, und nichts weiter wurde dorthin verschoben.</translation>
    </message>
</context>
<context>
    <name>undo</name>
    <message>
        <source>A file deleted for good cannot be brought back.</source>
        <translation>Eine endgültig gelöschte Datei kann nicht zurückgeholt werden.</translation>
    </message>
    <message>
        <source>Rename of 1 Picture</source>
        <translation>Umbenennen von 1 Bild</translation>
    </message>
    <message numerus="yes">
        <source>Rename of %n Pictures</source>
        <translation>
            <numerusform>Umbenennen von %n Bild</numerusform>
            <numerusform>Umbenennen von %n Bildern</numerusform>
        </translation>
    </message>
    <message>
        <source>Move of 1 Picture</source>
        <translation>Verschieben von 1 Bild</translation>
    </message>
    <message numerus="yes">
        <source>Move of %n Pictures</source>
        <translation>
            <numerusform>Verschieben von %n Bild</numerusform>
            <numerusform>Verschieben von %n Bildern</numerusform>
        </translation>
    </message>
    <message>
        <source>Delete of 1 Picture</source>
        <translation>Löschen von 1 Bild</translation>
    </message>
    <message numerus="yes">
        <source>Delete of %n Pictures</source>
        <translation>
            <numerusform>Löschen von %n Bild</numerusform>
            <numerusform>Löschen von %n Bildern</numerusform>
        </translation>
    </message>
</context>
</TS>
