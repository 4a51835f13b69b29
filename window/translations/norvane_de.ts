<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="en">
<context>
    <name>AboutDialog</name>
    <message>
        <source>Licence and notices</source>
        <translation>Lizenz und Hinweise</translation>
    </message>
    <message>
        <source>About Norvane</source>
        <translation>Über Norvane</translation>
    </message>
    <message>
        <source>Renames every file of one folder in one batch.</source>
        <translation>Benennt alle Dateien eines Ordners in einem Durchgang um.</translation>
    </message>
    <message>
        <source>You may pass it on and change it under that licence&apos;s terms; the notices button shows them, with the notices of the libraries it carries.</source>
        <translation>Sie dürfen es unter den Bedingungen dieser Lizenz weitergeben und ändern; die Schaltfläche „Lizenz und Hinweise“ zeigt sie, mit den Hinweisen der mitgelieferten Bibliotheken.</translation>
    </message>
    <message>
        <source>Licence and &amp;notices</source>
        <translation>Lizenz und &amp;Hinweise</translation>
    </message>
</context>
<context>
    <name>CommandLineText</name>
    <message>
        <source>unknown option &quot;%1&quot;</source>
        <translation>unbekannte Option „%1“</translation>
    </message>
    <message>
        <source>one folder at a time: &quot;%1&quot; and &quot;%2&quot;</source>
        <translation>nur ein Ordner auf einmal: „%1“ und „%2“</translation>
    </message>
    <message>
        <source>an empty folder name</source>
        <translation>ein leerer Ordnername</translation>
    </message>
    <message>
        <source>Usage: norvane [FOLDER]
Opens the window that renames every file of one folder in one batch, at FOLDER
(a file opens the folder that holds it). Without FOLDER it opens the folder that
holds the program or, for an installed program, your home folder.
  --help     show this text
  --version  show the version
  --         end of options, for a folder whose name starts with &quot;-&quot;</source>
        <translation>Aufruf: norvane [ORDNER]
Öffnet das Fenster, das alle Dateien eines Ordners in einem Durchgang umbenennt, bei ORDNER
(eine Datei öffnet den Ordner, der sie enthält). Ohne ORDNER öffnet es den Ordner des
Programms oder, bei einem installierten Programm, Ihren persönlichen Ordner.
  --help     diesen Text zeigen
  --version  die Version zeigen
  --         Ende der Optionen, für einen Ordner, dessen Name mit „-“ beginnt</translation>
    </message>
    <message>
        <source>Copyright 2026 The Norvane developers. Free software under the GNU General Public License, version 3 or later (GPL-3.0-or-later), with no warranty.</source>
        <translation>Copyright 2026 The Norvane developers. Freie Software unter der GNU General Public License, Version 3 oder später (GPL-3.0-or-later), ohne jede Gewährleistung.</translation>
    </message>
    <message>
        <source>norvane: %1. Usage: norvane [FOLDER]; norvane --help says more.</source>
        <translation>norvane: %1. Aufruf: norvane [ORDNER]; norvane --help sagt mehr.</translation>
    </message>
    <message>
        <source>norvane: cannot open &quot;%1&quot;: %2.</source>
        <translation>norvane: „%1“ kann nicht geöffnet werden: %2.</translation>
    </message>
</context>
<context>
    <name>Form1</name>
    <message>
        <source>Renames every file of the chosen folder in one batch</source>
        <translation>Benennt alle Dateien des gewählten Ordners in einem Durchgang um</translation>
    </message>
    <message>
        <source>The text Repalce looks for in every file name</source>
        <translation>Der Text, den Repalce in jedem Dateinamen sucht</translation>
    </message>
    <message>
        <source>The text Repalce puts in place of the Find text; Change Extention makes it the extension</source>
        <translation>Der Text, den Repalce an die Stelle des Find-Textes setzt; Change Extention macht ihn zur Endung</translation>
    </message>
    <message>
        <source>Replaces the Find text with the replace text in the name of every listed file</source>
        <translation>Ersetzt im Namen jeder aufgeführten Datei den Find-Text durch den replace-Text</translation>
    </message>
    <message>
        <source>Folders</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>The folders from the root down to the current one, then its subfolders; Enter or a double click opens the selected folder</source>
        <translation>Die Ordner von der Wurzel bis zum aktuellen, dann seine Unterordner; Eingabetaste oder Doppelklick öffnet den gewählten Ordner</translation>
    </message>
    <message>
        <source>Files</source>
        <translation>Dateien</translation>
    </message>
    <message>
        <source>The files of the current folder; the buttons rename every one of them, first to last</source>
        <translation>Die Dateien des aktuellen Ordners; die Schaltflächen benennen jede davon um, von der ersten bis zur letzten</translation>
    </message>
    <message>
        <source>Label of the Find field</source>
        <translation>Beschriftung des Feldes Find</translation>
    </message>
    <message>
        <source>Label of the replace field</source>
        <translation>Beschriftung des Feldes replace</translation>
    </message>
    <message>
        <source>Names every listed file 001, 002, 003 and so on in list order, keeping its extension</source>
        <translation>Benennt jede aufgeführte Datei in Listenreihenfolge 001, 002, 003 und so weiter, ihre Endung bleibt</translation>
    </message>
    <message>
        <source>Keeps every listed file&apos;s name up to its first dot and gives it the replace text as extension</source>
        <translation>Behält den Namen jeder aufgeführten Datei bis zum ersten Punkt und gibt ihr den replace-Text als Endung</translation>
    </message>
    <message>
        <source>Drops the first dot-separated part of every listed file&apos;s name, keeping the next two</source>
        <translation>Entfernt den ersten durch Punkt getrennten Teil jedes Dateinamens und behält die nächsten zwei</translation>
    </message>
    <message>
        <source>the current folder</source>
        <translation>der aktuelle Ordner</translation>
    </message>
    <message>
        <source>on the way down to the current folder</source>
        <translation>auf dem Weg zum aktuellen Ordner</translation>
    </message>
    <message>
        <source>a subfolder of the current folder</source>
        <translation>ein Unterordner des aktuellen Ordners</translation>
    </message>
    <message>
        <source>Level %1, %2</source>
        <translation>Ebene %1, %2</translation>
    </message>
    <message>
        <source>Opens this folder and lists its files</source>
        <translation>Öffnet diesen Ordner und listet seine Dateien auf</translation>
    </message>
    <message>
        <source>Cannot open the folder: %1.</source>
        <translation>Der Ordner kann nicht geöffnet werden: %1.</translation>
    </message>
    <message>
        <source>Cannot read the folder &quot;%1&quot;%2.</source>
        <translation>Der Ordner „%1“ kann nicht gelesen werden%2.</translation>
    </message>
    <message>
        <source>Renaming</source>
        <translation>Umbenennen</translation>
    </message>
    <message>
        <source>Ctrl+Z puts them back.</source>
        <translation>Strg+Z macht es rückgängig.</translation>
    </message>
    <message>
        <source>The renaming stopped: %1.</source>
        <translation>Das Umbenennen wurde abgebrochen: %1.</translation>
    </message>
    <message>
        <source>The renaming stopped for an unknown reason.</source>
        <translation>Das Umbenennen wurde aus unbekanntem Grund abgebrochen.</translation>
    </message>
    <message>
        <source>Cannot tell what this button would do: %1.</source>
        <translation>Es lässt sich nicht sagen, was diese Schaltfläche täte: %1.</translation>
    </message>
    <message>
        <source>Undo History...</source>
        <translation>Rückgängig-Verlauf …</translation>
    </message>
    <message>
        <source>Cannot be taken back now: %1.</source>
        <translation>Kann jetzt nicht rückgängig gemacht werden: %1.</translation>
    </message>
    <message>
        <source>Putting back</source>
        <translation>Zurückbenennen</translation>
    </message>
    <message>
        <source>The undo stopped: %1.</source>
        <translation>Das Rückgängigmachen wurde abgebrochen: %1.</translation>
    </message>
    <message>
        <source>Cannot list the folder again: %1.</source>
        <translation>Der Ordner kann nicht erneut aufgelistet werden: %1.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is open in another program, which keeps it from being renamed. Close it there, then try again.</source>
        <translation>„%1“ ist in einem anderen Programm geöffnet, das das Umbenennen verhindert. Schließen Sie die Datei dort und versuchen Sie es erneut.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is open in %2, which keeps it from being renamed. Close it there, then try again.</source>
        <translation>„%1“ ist in %2 geöffnet, was das Umbenennen verhindert. Schließen Sie die Datei dort und versuchen Sie es erneut.</translation>
    </message>
    <message>
        <source>Try Again</source>
        <translation>Erneut versuchen</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Abbrechen</translation>
    </message>
    <message numerus="yes">
        <source>%1 of %2 files</source>
        <translation>
            <numerusform>%1 von %2 Datei</numerusform>
            <numerusform>%1 von %2 Dateien</numerusform>
        </translation>
    </message>
    <message>
        <source>Checking %1 before moving any</source>
        <translation>%1 werden geprüft, bevor etwas verschoben wird</translation>
    </message>
    <message>
        <source>The journal could not be read: %1.</source>
        <translation>Das Journal konnte nicht gelesen werden: %1.</translation>
    </message>
</context>
<context>
    <name>JournalReports</name>
    <message numerus="yes">
        <source>&quot;%1&quot; in &quot;%2&quot;, a batch of %Ln files: %3; how far it got is told once it is back.</source>
        <translation>
            <numerusform>„%1“ in „%2“, ein Durchgang mit %Ln Datei: %3; wie weit er kam, wird gesagt, sobald er wieder da ist.</numerusform>
            <numerusform>„%1“ in „%2“, ein Durchgang mit %Ln Dateien: %3; wie weit er kam, wird gesagt, sobald er wieder da ist.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Taking back &quot;%1&quot; in &quot;%2&quot;: %3 of %Ln files had their names back, %4 still to go.</source>
        <translation>
            <numerusform>Rückgängigmachen von „%1“ in „%2“: %3 von %Ln Datei hatte ihren Namen zurück, %4 stehen noch aus.</numerusform>
            <numerusform>Rückgängigmachen von „%1“ in „%2“: %3 von %Ln Dateien hatten ihre Namen zurück, %4 stehen noch aus.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>&quot;%1&quot; in &quot;%2&quot;: %3 of %Ln files were renamed.</source>
        <translation>
            <numerusform>„%1“ in „%2“: %3 von %Ln Datei wurde umbenannt.</numerusform>
            <numerusform>„%1“ in „%2“: %3 von %Ln Dateien wurden umbenannt.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln of them are under neither name now and are named when it is taken back.</source>
        <translation>
            <numerusform>%Ln davon steht jetzt unter keinem der beiden Namen und wird beim Rückgängigmachen genannt.</numerusform>
            <numerusform>%Ln davon stehen jetzt unter keinem der beiden Namen und werden beim Rückgängigmachen genannt.</numerusform>
        </translation>
    </message>
    <message>
        <source>&quot;%1&quot;, the file it was renaming when it stopped, is under neither that name nor &quot;%2&quot;.</source>
        <translation>„%1“, die Datei, die beim Anhalten gerade umbenannt wurde, steht weder unter diesem Namen noch unter „%2“.</translation>
    </message>
    <message>
        <source>It cannot be taken back now: %1.</source>
        <translation>Er kann jetzt nicht rückgängig gemacht werden: %1.</translation>
    </message>
    <message>
        <source>it does not begin as a journal&apos;s file does</source>
        <translation>sie beginnt nicht wie eine Journaldatei</translation>
    </message>
    <message>
        <source>it is damaged from byte %1 on, before its plan</source>
        <translation>sie ist ab Byte %1 beschädigt, vor ihrem Plan</translation>
    </message>
    <message>
        <source>it holds %1 bytes, more than any batch writes</source>
        <translation>sie enthält %1 Bytes, mehr als ein Durchgang je schreibt</translation>
    </message>
    <message>
        <source>it cannot be opened%1</source>
        <translation>sie kann nicht geöffnet werden%1</translation>
    </message>
    <message>
        <source>it cannot be read%1</source>
        <translation>sie kann nicht gelesen werden%1</translation>
    </message>
    <message>
        <source>a newer Norvane wrote it (format %1), and it is kept for that one</source>
        <translation>ein neueres Norvane hat sie geschrieben (Format %1), und sie bleibt für dieses erhalten</translation>
    </message>
    <message>
        <source>Norvane has no folder for its journal (neither a home folder nor a state folder is set), so no batch can be written down and none starts.</source>
        <translation>Norvane hat keinen Ordner für sein Journal (weder ein persönlicher Ordner noch ein Zustandsordner ist gesetzt), daher kann kein Durchgang aufgezeichnet werden und keiner beginnt.</translation>
    </message>
    <message>
        <source>The journal&apos;s folder &quot;%1&quot; belongs to another user, so Norvane does not use it and no batch starts until it is yours.</source>
        <translation>Der Journalordner „%1“ gehört einem anderen Benutzer, daher verwendet Norvane ihn nicht, und kein Durchgang beginnt, bis er Ihnen gehört.</translation>
    </message>
    <message>
        <source>Others can change what the journal&apos;s folder &quot;%1&quot; holds, so Norvane does not use it and no batch starts until only you can write to it.</source>
        <translation>Andere können den Inhalt des Journalordners „%1“ ändern, daher verwendet Norvane ihn nicht, und kein Durchgang beginnt, bis nur Sie darin schreiben können.</translation>
    </message>
    <message>
        <source>The journal&apos;s folder &quot;%1&quot; cannot be read%2, so no batch starts.</source>
        <translation>Der Journalordner „%1“ kann nicht gelesen werden%2, daher beginnt kein Durchgang.</translation>
    </message>
    <message>
        <source>Put Them Back</source>
        <translation>Zurückbenennen</translation>
    </message>
    <message>
        <source>Norvane stopped before these batches were done:</source>
        <translation>Norvane wurde beendet, bevor diese Durchgänge fertig waren:</translation>
    </message>
    <message>
        <source>Norvane stopped before an undo was done:</source>
        <translation>Norvane wurde beendet, bevor ein Rückgängigmachen fertig war:</translation>
    </message>
    <message>
        <source>Norvane stopped before a batch was done:</source>
        <translation>Norvane wurde beendet, bevor ein Durchgang fertig war:</translation>
    </message>
    <message>
        <source>Nothing was moved since.</source>
        <translation>Seitdem wurde nichts verschoben.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; puts the renamed files back now, the latest batch first. &quot;Keep Them Renamed&quot; leaves them as they are; later, &quot;Undo Rename&quot; in the file list&apos;s menu or Ctrl+Z in the file list puts them back.</source>
        <translation>„%1“ benennt die Dateien jetzt zurück, den neuesten Durchgang zuerst. „Umbenannt lassen“ lässt sie, wie sie sind; später benennt „Umbenennen rückgängig“ im Menü der Dateiliste oder Strg+Z in der Dateiliste sie zurück.</translation>
    </message>
    <message>
        <source>Once its folder is back, &quot;Undo Rename&quot; in the file list&apos;s menu or Ctrl+Z in the file list puts the files back; &quot;Undo History&quot; (Ctrl+H) shows every batch.</source>
        <translation>Sobald sein Ordner wieder da ist, benennt „Umbenennen rückgängig“ im Menü der Dateiliste oder Strg+Z in der Dateiliste die Dateien zurück; „Rückgängig-Verlauf“ (Strg+H) zeigt alle Durchgänge.</translation>
    </message>
    <message>
        <source>These files of the journal in &quot;%1&quot; cannot be used and are not offered for undo:</source>
        <translation>Diese Dateien des Journals in „%1“ sind nicht verwendbar und werden nicht zum Rückgängigmachen angeboten:</translation>
    </message>
    <message>
        <source>it was left where it is.</source>
        <translation>sie wurde gelassen, wo sie ist.</translation>
    </message>
    <message>
        <source>it was set aside in &quot;set-aside&quot;.</source>
        <translation>sie wurde nach „set-aside“ beiseitegelegt.</translation>
    </message>
    <message>
        <source>Keep Them Renamed</source>
        <translation>Umbenannt lassen</translation>
    </message>
    <message>
        <source>The journal could not be read: %1.</source>
        <translation>Das Journal konnte nicht gelesen werden: %1.</translation>
    </message>
</context>
<context>
    <name>RenameFailures</name>
    <message>
        <source>its bytes are not UTF-8 text, and names there are kept as text</source>
        <translation>seine Bytes sind kein UTF-8-Text, und Namen werden dort als Text gespeichert</translation>
    </message>
    <message>
        <source>it is longer than 255 characters</source>
        <translation>er ist länger als 255 Zeichen</translation>
    </message>
    <message>
        <source>it ends with a dot</source>
        <translation>er endet mit einem Punkt</translation>
    </message>
    <message>
        <source>it ends with a space</source>
        <translation>er endet mit einem Leerzeichen</translation>
    </message>
    <message>
        <source>it holds a control character</source>
        <translation>er enthält ein Steuerzeichen</translation>
    </message>
    <message>
        <source>it holds &quot;%1&quot;</source>
        <translation>er enthält „%1“</translation>
    </message>
    <message>
        <source>it is the name of a device</source>
        <translation>er ist der Name eines Geräts</translation>
    </message>
    <message>
        <source>Cannot rename %1 (file %2 of %3) to %4: %5.</source>
        <translation>%1 (Datei %2 von %3) kann nicht in %4 umbenannt werden: %5.</translation>
    </message>
    <message>
        <source>Cannot rename %1 (file %2 of %3): %4.</source>
        <translation>%1 (Datei %2 von %3) kann nicht umbenannt werden: %4.</translation>
    </message>
    <message>
        <source>the name has no part %1 (parts are counted from 0, one at each &quot;.&quot;)</source>
        <translation>der Name hat keinen Teil %1 (Teile werden ab 0 gezählt, einer an jedem „.“)</translation>
    </message>
    <message>
        <source>the new name would be empty</source>
        <translation>der neue Name wäre leer</translation>
    </message>
    <message>
        <source>the file system cannot take that name%1</source>
        <translation>das Dateisystem nimmt diesen Namen nicht an%1</translation>
    </message>
    <message>
        <source>the new name holds a NUL byte, which no file name may hold</source>
        <translation>der neue Name enthält ein NUL-Byte, das kein Dateiname enthalten darf</translation>
    </message>
    <message>
        <source>the file system it would go to cannot hold that name: %1</source>
        <translation>das Dateisystem am Ziel kann diesen Namen nicht speichern: %1</translation>
    </message>
    <message>
        <source>the new name is too long for the file system%1</source>
        <translation>der neue Name ist zu lang für das Dateisystem%1</translation>
    </message>
    <message>
        <source>there is no permission to look at %1%2</source>
        <translation>es fehlt die Berechtigung, %1 anzusehen%2</translation>
    </message>
    <message>
        <source>the way to %1 leads through too many symbolic links%2</source>
        <translation>der Weg zu %1 führt über zu viele symbolische Verknüpfungen%2</translation>
    </message>
    <message>
        <source>the system cannot say whether %1 is free%2</source>
        <translation>das System kann nicht sagen, ob %1 frei ist%2</translation>
    </message>
    <message>
        <source>file %1, %2, would get the same name</source>
        <translation>Datei %1, %2, bekäme denselben Namen</translation>
    </message>
    <message>
        <source>%1 already holds that name in a folder where letter case does not count</source>
        <translation>%1 trägt diesen Namen bereits, in einem Ordner, in dem Groß- und Kleinschreibung nicht zählt</translation>
    </message>
    <message>
        <source>%1 already exists</source>
        <translation>%1 gibt es bereits</translation>
    </message>
    <message>
        <source>the folder it names is not there%1</source>
        <translation>der genannte Ordner ist nicht vorhanden%1</translation>
    </message>
    <message>
        <source>it is no longer in the folder under that name%1</source>
        <translation>sie ist nicht mehr unter diesem Namen im Ordner%1</translation>
    </message>
    <message>
        <source>another file has taken its name since</source>
        <translation>eine andere Datei hat seitdem ihren Namen</translation>
    </message>
    <message>
        <source>it is not the file as it was renamed: it was changed since, or another file has taken its name (on this file system a file is known by its size and time)</source>
        <translation>es ist nicht mehr die Datei, wie sie umbenannt wurde: Sie wurde seitdem geändert, oder eine andere Datei hat ihren Namen (auf diesem Dateisystem erkennt man eine Datei an Größe und Zeit)</translation>
    </message>
    <message>
        <source>the system cannot tell whether it is the file that was renamed</source>
        <translation>das System kann nicht erkennen, ob es die Datei ist, die umbenannt wurde</translation>
    </message>
    <message>
        <source>%1 is held by a file that cannot move</source>
        <translation>%1 ist von einer Datei belegt, die nicht verschoben werden kann</translation>
    </message>
    <message>
        <source>the move was refused%1</source>
        <translation>das Verschieben wurde verweigert%1</translation>
    </message>
    <message>
        <source>Cancelled before any file was renamed.</source>
        <translation>Abgebrochen, bevor eine Datei umbenannt wurde.</translation>
    </message>
    <message numerus="yes">
        <source>Cancelled: %Ln files were renamed; the others keep their names.</source>
        <translation>
            <numerusform>Abgebrochen: %Ln Datei wurde umbenannt; die anderen behalten ihre Namen.</numerusform>
            <numerusform>Abgebrochen: %Ln Dateien wurden umbenannt; die anderen behalten ihre Namen.</numerusform>
        </translation>
    </message>
    <message>
        <source>No file was renamed: Norvane writes every batch down before its first move, so that it can be taken back even after a crash, and there is no folder to keep its journal in%1.</source>
        <translation>Keine Datei wurde umbenannt: Norvane zeichnet jeden Durchgang vor dem ersten Verschieben auf, damit er sich auch nach einem Absturz rückgängig machen lässt, und es gibt keinen Ordner für sein Journal%1.</translation>
    </message>
    <message>
        <source>No file was renamed: Norvane writes every batch down before its first move, so that it can be taken back even after a crash, and its journal in %1 could not be written%2.</source>
        <translation>Keine Datei wurde umbenannt: Norvane zeichnet jeden Durchgang vor dem ersten Verschieben auf, damit er sich auch nach einem Absturz rückgängig machen lässt, und sein Journal in %1 konnte nicht geschrieben werden%2.</translation>
    </message>
    <message>
        <source>Cannot read the folder %1%2. No file was renamed.</source>
        <translation>Der Ordner %1 kann nicht gelesen werden%2. Keine Datei wurde umbenannt.</translation>
    </message>
    <message numerus="yes">
        <source>%Ln files were renamed, but the folder %1 could not be listed again%2.</source>
        <translation>
            <numerusform>%Ln Datei wurde umbenannt, aber der Ordner %1 konnte nicht erneut aufgelistet werden%2.</numerusform>
            <numerusform>%Ln Dateien wurden umbenannt, aber der Ordner %1 konnte nicht erneut aufgelistet werden%2.</numerusform>
        </translation>
    </message>
    <message>
        <source>No file was renamed.</source>
        <translation>Keine Datei wurde umbenannt.</translation>
    </message>
    <message numerus="yes">
        <source>%Ln files were renamed before it; it and the files after it keep their names.</source>
        <translation>
            <numerusform>%Ln Datei wurde vorher umbenannt; diese und die folgenden Dateien behalten ihre Namen.</numerusform>
            <numerusform>%Ln Dateien wurden vorher umbenannt; diese und die folgenden Dateien behalten ihre Namen.</numerusform>
        </translation>
    </message>
    <message>
        <source>Would stop before moving anything: %1</source>
        <translation>Würde anhalten, bevor etwas verschoben wird: %1</translation>
    </message>
    <message>
        <source>Would rename no file: every listed file keeps its name.</source>
        <translation>Würde keine Datei umbenennen: Jede aufgeführte Datei behält ihren Namen.</translation>
    </message>
    <message numerus="yes">
        <source>Would rename %Ln files and leave %1 alone:</source>
        <translation>
            <numerusform>Würde %Ln Datei umbenennen und %1 lassen, wie sie sind:</numerusform>
            <numerusform>Würde %Ln Dateien umbenennen und %1 lassen, wie sie sind:</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>and %Ln more</source>
        <translation>
            <numerusform>und %Ln weitere</numerusform>
            <numerusform>und %Ln weitere</numerusform>
        </translation>
    </message>
    <message>
        <source>Renamed no files.</source>
        <translation>Keine Datei umbenannt.</translation>
    </message>
    <message numerus="yes">
        <source>Renamed %Ln files.</source>
        <translation>
            <numerusform>%Ln Datei umbenannt.</numerusform>
            <numerusform>%Ln Dateien umbenannt.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>SystemErrors</name>
    <message>
        <source>there is no folder for it: neither XDG_STATE_HOME nor HOME names one</source>
        <translation>es gibt keinen Ordner dafür: weder XDG_STATE_HOME noch HOME nennt einen</translation>
    </message>
    <message>
        <source>the folder belongs to another user</source>
        <translation>der Ordner gehört einem anderen Benutzer</translation>
    </message>
    <message>
        <source>others can write to the folder</source>
        <translation>andere können in den Ordner schreiben</translation>
    </message>
    <message>
        <source>there is not enough memory to read it</source>
        <translation>es gibt nicht genug Speicher, um sie zu lesen</translation>
    </message>
    <message>
        <source>another Norvane holds it</source>
        <translation>ein anderes Norvane hält sie</translation>
    </message>
    <message>
        <source>the journal&apos;s folder cannot be written to</source>
        <translation>in den Journalordner kann nicht geschrieben werden</translation>
    </message>
    <message>
        <source>a file is cut only to a size it has</source>
        <translation>eine Datei wird nur auf eine Größe gekürzt, die sie hat</translation>
    </message>
    <message>
        <source>it is not a regular file</source>
        <translation>es ist keine gewöhnliche Datei</translation>
    </message>
    <message>
        <source>the file changed while it was being copied; it was left where it was</source>
        <translation>die Datei hat sich beim Kopieren geändert; sie blieb, wo sie war</translation>
    </message>
    <message>
        <source>every temporary name for the change of letter case is taken (&quot;%1&quot; to &quot;%2&quot;)</source>
        <translation>jeder vorläufige Name für die Änderung der Groß- und Kleinschreibung ist belegt („%1“ bis „%2“)</translation>
    </message>
    <message>
        <source>error %1</source>
        <translation>Fehler %1</translation>
    </message>
    <message>
        <source>error %1: %2</source>
        <translation>Fehler %1: %2</translation>
    </message>
    <message>
        <source>; the file is left as &quot;%1&quot;</source>
        <translation>; die Datei bleibt als „%1“</translation>
    </message>
    <message>
        <source> (%1)</source>
        <translation> (%1)</translation>
    </message>
</context>
<context>
    <name>UndoHistory</name>
    <message>
        <source>Undo History</source>
        <translation>Rückgängig-Verlauf</translation>
    </message>
    <message>
        <source>Take Back</source>
        <translation>Rückgängig machen</translation>
    </message>
    <message>
        <source>Give Up...</source>
        <translation>Aufgeben …</translation>
    </message>
    <message>
        <source>Every batch Norvane keeps, the latest first. Ctrl+Z takes back the latest; here any batch that can go back now is taken back.</source>
        <translation>Alle Durchgänge, die Norvane aufbewahrt, der neueste zuerst. Strg+Z macht den neuesten rückgängig; hier lässt sich jeder Durchgang rückgängig machen, der jetzt zurück kann.</translation>
    </message>
    <message>
        <source>Norvane keeps no batch now: there is nothing to take back.</source>
        <translation>Norvane bewahrt zurzeit keinen Durchgang auf: Es gibt nichts rückgängig zu machen.</translation>
    </message>
    <message numerus="yes">
        <source>Give up &quot;%1&quot; in &quot;%2&quot; (%Ln files)? Its files keep the names they have now, and Norvane can no longer take it back.</source>
        <translation>
            <numerusform>„%1“ in „%2“ (%Ln Datei) aufgeben? Die Datei behält ihren jetzigen Namen, und Norvane kann den Durchgang nicht mehr rückgängig machen.</numerusform>
            <numerusform>„%1“ in „%2“ (%Ln Dateien) aufgeben? Die Dateien behalten ihre jetzigen Namen, und Norvane kann den Durchgang nicht mehr rückgängig machen.</numerusform>
        </translation>
    </message>
    <message>
        <source>Give Up</source>
        <translation>Aufgeben</translation>
    </message>
    <message>
        <source>Keep It</source>
        <translation>Behalten</translation>
    </message>
    <message>
        <source>The batch could not be given up: its file in the journal could not be removed%1.</source>
        <translation>Der Durchgang konnte nicht aufgegeben werden: Seine Datei im Journal ließ sich nicht entfernen%1.</translation>
    </message>
</context>
<context>
    <name>UndoHistoryModel</name>
    <message>
        <source>What</source>
        <translation>Was</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>When</source>
        <translation>Wann</translation>
    </message>
    <message>
        <source>Files</source>
        <translation>Dateien</translation>
    </message>
    <message>
        <source>Can be taken back now</source>
        <translation>Jetzt rückgängig zu machen</translation>
    </message>
</context>
<context>
    <name>UndoText</name>
    <message>
        <source>it was moved or deleted since%1</source>
        <translation>sie wurde seitdem verschoben oder gelöscht%1</translation>
    </message>
    <message>
        <source>%1 is taken by another file</source>
        <translation>%1 ist von einer anderen Datei belegt</translation>
    </message>
    <message>
        <source>%1 is still held by %2, which cannot go back either</source>
        <translation>%1 ist noch von %2 belegt, die ebenfalls nicht zurück kann</translation>
    </message>
    <message>
        <source>the file system cannot take the name %1%2</source>
        <translation>das Dateisystem nimmt den Namen %1 nicht an%2</translation>
    </message>
    <message>
        <source>%1 is too long for the file system%2</source>
        <translation>%1 ist zu lang für das Dateisystem%2</translation>
    </message>
    <message>
        <source>there is no permission to look at %1%2</source>
        <translation>es fehlt die Berechtigung, %1 anzusehen%2</translation>
    </message>
    <message>
        <source>the folder %1 goes back into is not there%2</source>
        <translation>der Ordner, in den %1 zurückgeht, ist nicht vorhanden%2</translation>
    </message>
    <message>
        <source>the system cannot say whether %1 is free%2</source>
        <translation>das System kann nicht sagen, ob %1 frei ist%2</translation>
    </message>
    <message>
        <source>the move was refused%1</source>
        <translation>das Verschieben wurde verweigert%1</translation>
    </message>
    <message>
        <source>Undo Rename</source>
        <translation>Umbenennen rückgängig</translation>
    </message>
    <message numerus="yes">
        <source>Undo Rename (%Ln files in %1)</source>
        <translation>
            <numerusform>Umbenennen rückgängig (%Ln Datei in %1)</numerusform>
            <numerusform>Umbenennen rückgängig (%Ln Dateien in %1)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Puts back the names of the %Ln files &quot;%1&quot; renamed in &quot;%2&quot;.</source>
        <translation>
            <numerusform>Gibt der %Ln Datei, die „%1“ in „%2“ umbenannt hat, ihren Namen zurück.</numerusform>
            <numerusform>Gibt den %Ln Dateien, die „%1“ in „%2“ umbenannt hat, ihre Namen zurück.</numerusform>
        </translation>
    </message>
    <message>
        <source>No file in &quot;%1&quot; was put back: the journal that keeps the way back could not be written%2. Another undo tries again.</source>
        <translation>Keine Datei in „%1“ wurde zurückbenannt: Das Journal, das den Rückweg festhält, konnte nicht geschrieben werden%2. Ein weiteres Rückgängigmachen versucht es erneut.</translation>
    </message>
    <message>
        <source>No file was put back: &quot;%1&quot; is no longer the folder the files were renamed in (it was moved or replaced, or a link to it now leads elsewhere). Another undo tries again once it is back.</source>
        <translation>Keine Datei wurde zurückbenannt: „%1“ ist nicht mehr der Ordner, in dem die Dateien umbenannt wurden (er wurde verschoben oder ersetzt, oder eine Verknüpfung zu ihm führt jetzt anderswohin). Ein weiteres Rückgängigmachen versucht es erneut, sobald er wieder da ist.</translation>
    </message>
    <message numerus="yes">
        <source>All %Ln files in &quot;%1&quot; got their names back.</source>
        <translation>
            <numerusform>Die Datei in „%1“ hat ihren Namen zurück.</numerusform>
            <numerusform>Alle %Ln Dateien in „%1“ haben ihre Namen zurück.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 of %Ln files in &quot;%2&quot; got their names back.</source>
        <translation>
            <numerusform>%1 von %Ln Datei in „%2“ hat ihren Namen zurück.</numerusform>
            <numerusform>%1 von %Ln Dateien in „%2“ haben ihre Namen zurück.</numerusform>
        </translation>
    </message>
    <message>
        <source>These stay as they are:</source>
        <translation>Diese bleiben, wie sie sind:</translation>
    </message>
    <message numerus="yes">
        <source>and %Ln more.</source>
        <translation>
            <numerusform>und %Ln weitere.</numerusform>
            <numerusform>und %Ln weitere.</numerusform>
        </translation>
    </message>
    <message>
        <source>The undo stopped at %1: %2.</source>
        <translation>Das Rückgängigmachen hielt bei %1 an: %2.</translation>
    </message>
    <message numerus="yes">
        <source>%Ln files were not put back yet; another undo tries again.</source>
        <translation>
            <numerusform>%Ln Datei wurde noch nicht zurückbenannt; ein weiteres Rückgängigmachen versucht es erneut.</numerusform>
            <numerusform>%Ln Dateien wurden noch nicht zurückbenannt; ein weiteres Rückgängigmachen versucht es erneut.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>The undo was cancelled: %Ln files were not put back yet; another undo takes them back.</source>
        <translation>
            <numerusform>Das Rückgängigmachen wurde abgebrochen: %Ln Datei wurde noch nicht zurückbenannt; ein weiteres Rückgängigmachen holt das nach.</numerusform>
            <numerusform>Das Rückgängigmachen wurde abgebrochen: %Ln Dateien wurden noch nicht zurückbenannt; ein weiteres Rückgängigmachen holt das nach.</numerusform>
        </translation>
    </message>
    <message>
        <source>its folder cannot be reached now (a card out, a drive unplugged)%1; it waits for it</source>
        <translation>sein Ordner ist jetzt nicht erreichbar (eine Karte entnommen, ein Laufwerk getrennt)%1; er wartet darauf</translation>
    </message>
    <message>
        <source>the folder at its path now is another one (another card, or a folder made again); it waits for its own</source>
        <translation>unter seinem Pfad liegt jetzt ein anderer Ordner (eine andere Karte oder ein neu angelegter Ordner); er wartet auf seinen eigenen</translation>
    </message>
    <message>
        <source>no file of it is in its folder under either name%1; it is kept until you give it up</source>
        <translation>keine seiner Dateien ist unter einem der beiden Namen in seinem Ordner%1; er bleibt erhalten, bis Sie ihn aufgeben</translation>
    </message>
    <message>
        <source>another Norvane is working on it</source>
        <translation>ein anderes Norvane arbeitet daran</translation>
    </message>
    <message>
        <source>it was taken back; it is kept until the folder holds the old names for sure</source>
        <translation>er wurde rückgängig gemacht; er bleibt erhalten, bis der Ordner die alten Namen sicher hält</translation>
    </message>
    <message>
        <source>its file in the journal cannot be read now%1; it is left as it is</source>
        <translation>seine Datei im Journal kann jetzt nicht gelesen werden%1; sie bleibt, wie sie ist</translation>
    </message>
    <message>
        <source>yes</source>
        <translation>ja</translation>
    </message>
    <message>
        <source>no: %1</source>
        <translation>nein: %1</translation>
    </message>
    <message>
        <source>Nothing was moved. The latest batch, &quot;%1&quot; in &quot;%2&quot;, cannot be taken back now: %3. Ctrl+Z takes no older batch before it; &quot;Undo History&quot; (Ctrl+H) in the file list&apos;s menu shows every batch and takes back any that can go back.</source>
        <translation>Nichts wurde verschoben. Der neueste Durchgang, „%1“ in „%2“, kann jetzt nicht rückgängig gemacht werden: %3. Strg+Z nimmt keinen älteren Durchgang vor ihm; „Rückgängig-Verlauf“ (Strg+H) im Menü der Dateiliste zeigt alle Durchgänge und macht jeden rückgängig, der zurück kann.</translation>
    </message>
    <message>
        <source>Nothing was moved: that batch is no longer in the journal; another Norvane took it back or it was given up meanwhile.</source>
        <translation>Nichts wurde verschoben: Dieser Durchgang ist nicht mehr im Journal; ein anderes Norvane hat ihn rückgängig gemacht, oder er wurde inzwischen aufgegeben.</translation>
    </message>
    <message>
        <source>Nothing was moved: another Norvane is working on the batch in &quot;%1&quot;; try again when it is done.</source>
        <translation>Nichts wurde verschoben: Ein anderes Norvane arbeitet am Durchgang in „%1“; versuchen Sie es erneut, wenn es fertig ist.</translation>
    </message>
    <message>
        <source>Nothing was moved: the folder &quot;%1&quot; cannot be reached now%2. The batch is kept and offered again once the folder is back.</source>
        <translation>Nichts wurde verschoben: Der Ordner „%1“ ist jetzt nicht erreichbar%2. Der Durchgang bleibt erhalten und wird wieder angeboten, sobald der Ordner zurück ist.</translation>
    </message>
    <message>
        <source>Nothing was moved: the folder at &quot;%1&quot; is not the one the batch renamed in (another card, or a folder made again). The batch is kept and offered again once its own folder is back.</source>
        <translation>Nichts wurde verschoben: Der Ordner unter „%1“ ist nicht der, in dem der Durchgang umbenannt hat (eine andere Karte oder ein neu angelegter Ordner). Der Durchgang bleibt erhalten und wird wieder angeboten, sobald sein eigener Ordner zurück ist.</translation>
    </message>
    <message>
        <source>Nothing was moved: no file of the batch is in &quot;%1&quot; under either name. The batch is kept; &quot;Undo History&quot; can give it up.</source>
        <translation>Nichts wurde verschoben: Keine Datei des Durchgangs ist unter einem der beiden Namen in „%1“. Der Durchgang bleibt erhalten; der „Rückgängig-Verlauf“ kann ihn aufgeben.</translation>
    </message>
    <message>
        <source>Nothing was moved in &quot;%1&quot;: the journal could not write down the undo%2, and without that it would not be safe. Another undo tries again.</source>
        <translation>Nichts wurde in „%1“ verschoben: Das Journal konnte das Rückgängigmachen nicht aufzeichnen%2, und ohne das wäre es nicht sicher. Ein weiteres Rückgängigmachen versucht es erneut.</translation>
    </message>
    <message>
        <source>Nothing was moved in &quot;%1&quot;: the journal&apos;s file of the batch cannot be read%2.</source>
        <translation>Nichts wurde in „%1“ verschoben: Die Journaldatei des Durchgangs kann nicht gelesen werden%2.</translation>
    </message>
    <message>
        <source>Nothing was moved: the journal has no folder it can use.</source>
        <translation>Nichts wurde verschoben: Das Journal hat keinen Ordner, den es verwenden kann.</translation>
    </message>
    <message>
        <source>Nothing to take back: the journal keeps no batch now.</source>
        <translation>Nichts rückgängig zu machen: Das Journal enthält zurzeit keinen Durchgang.</translation>
    </message>
    <message>
        <source>Ctrl+Z in the file list has nothing to take back: the journal keeps no batch now.</source>
        <translation>Strg+Z in der Dateiliste hat nichts rückgängig zu machen: Das Journal enthält zurzeit keinen Durchgang.</translation>
    </message>
    <message>
        <source>Ctrl+Z in the file list cannot take back &quot;%1&quot; in %2 now: %3.</source>
        <translation>Strg+Z in der Dateiliste kann „%1“ in %2 jetzt nicht rückgängig machen: %3.</translation>
    </message>
    <message numerus="yes">
        <source>Ctrl+Z in the file list takes back &quot;%1&quot; in %2, %Ln files.</source>
        <translation>
            <numerusform>Strg+Z in der Dateiliste macht „%1“ in %2 rückgängig, %Ln Datei.</numerusform>
            <numerusform>Strg+Z in der Dateiliste macht „%1“ in %2 rückgängig, %Ln Dateien.</numerusform>
        </translation>
    </message>
</context>
</TS>
