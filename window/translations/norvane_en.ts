<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>Form1</name>
    <message numerus="yes">
        <source>%1 of %2 files</source>
        <translation>
            <numerusform>%1 of %2 file</numerusform>
            <numerusform>%1 of %2 files</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>JournalReports</name>
    <message numerus="yes">
        <source>&quot;%1&quot; in &quot;%2&quot;, a batch of %Ln files: %3; how far it got is told once it is back.</source>
        <translation>
            <numerusform>&quot;%1&quot; in &quot;%2&quot;, a batch of %Ln file: %3; how far it got is told once it is back.</numerusform>
            <numerusform>&quot;%1&quot; in &quot;%2&quot;, a batch of %Ln files: %3; how far it got is told once it is back.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Taking back &quot;%1&quot; in &quot;%2&quot;: %3 of %Ln files had their names back, %4 still to go.</source>
        <translation>
            <numerusform>Taking back &quot;%1&quot; in &quot;%2&quot;: %3 of %Ln file had its name back, %4 still to go.</numerusform>
            <numerusform>Taking back &quot;%1&quot; in &quot;%2&quot;: %3 of %Ln files had their names back, %4 still to go.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>&quot;%1&quot; in &quot;%2&quot;: %3 of %Ln files were renamed.</source>
        <translation>
            <numerusform>&quot;%1&quot; in &quot;%2&quot;: %3 of %Ln file was renamed.</numerusform>
            <numerusform>&quot;%1&quot; in &quot;%2&quot;: %3 of %Ln files were renamed.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln of them are under neither name now and are named when it is taken back.</source>
        <translation>
            <numerusform>%Ln of them is under neither name now and is named when it is taken back.</numerusform>
            <numerusform>%Ln of them are under neither name now and are named when it is taken back.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>RenameFailures</name>
    <message numerus="yes">
        <source>Cancelled: %Ln files were renamed; the others keep their names.</source>
        <translation>
            <numerusform>Cancelled: %Ln file was renamed; the others keep their names.</numerusform>
            <numerusform>Cancelled: %Ln files were renamed; the others keep their names.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln files were renamed, but the folder %1 could not be listed again%2.</source>
        <translation>
            <numerusform>%Ln file was renamed, but the folder %1 could not be listed again%2.</numerusform>
            <numerusform>%Ln files were renamed, but the folder %1 could not be listed again%2.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln files were renamed before it; it and the files after it keep their names.</source>
        <translation>
            <numerusform>%Ln file was renamed before it; it and the files after it keep their names.</numerusform>
            <numerusform>%Ln files were renamed before it; it and the files after it keep their names.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Would rename %Ln files and leave %1 alone:</source>
        <translation>
            <numerusform>Would rename %Ln file and leave %1 alone:</numerusform>
            <numerusform>Would rename %Ln files and leave %1 alone:</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>and %Ln more</source>
        <translation>
            <numerusform>and %Ln more</numerusform>
            <numerusform>and %Ln more</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Renamed %Ln files.</source>
        <translation>
            <numerusform>Renamed %Ln file.</numerusform>
            <numerusform>Renamed %Ln files.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>UndoHistory</name>
    <message numerus="yes">
        <source>Give up &quot;%1&quot; in &quot;%2&quot; (%Ln files)? Its files keep the names they have now, and Norvane can no longer take it back.</source>
        <translation>
            <numerusform>Give up &quot;%1&quot; in &quot;%2&quot; (%Ln file)? Its file keeps the name it has now, and Norvane can no longer take it back.</numerusform>
            <numerusform>Give up &quot;%1&quot; in &quot;%2&quot; (%Ln files)? Its files keep the names they have now, and Norvane can no longer take it back.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>UndoText</name>
    <message numerus="yes">
        <source>Undo Rename (%Ln files in %1)</source>
        <translation>
            <numerusform>Undo Rename (%Ln file in %1)</numerusform>
            <numerusform>Undo Rename (%Ln files in %1)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Puts back the names of the %Ln files &quot;%1&quot; renamed in &quot;%2&quot;.</source>
        <translation>
            <numerusform>Puts back the name of the %Ln file &quot;%1&quot; renamed in &quot;%2&quot;.</numerusform>
            <numerusform>Puts back the names of the %Ln files &quot;%1&quot; renamed in &quot;%2&quot;.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>All %Ln files in &quot;%1&quot; got their names back.</source>
        <translation>
            <numerusform>The file in &quot;%1&quot; got its name back.</numerusform>
            <numerusform>All %Ln files in &quot;%1&quot; got their names back.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 of %Ln files in &quot;%2&quot; got their names back.</source>
        <translation>
            <numerusform>%1 of %Ln file in &quot;%2&quot; got its name back.</numerusform>
            <numerusform>%1 of %Ln files in &quot;%2&quot; got their names back.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>and %Ln more.</source>
        <translation>
            <numerusform>and %Ln more.</numerusform>
            <numerusform>and %Ln more.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln files were not put back yet; another undo tries again.</source>
        <translation>
            <numerusform>%Ln file was not put back yet; another undo tries again.</numerusform>
            <numerusform>%Ln files were not put back yet; another undo tries again.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>The undo was cancelled: %Ln files were not put back yet; another undo takes them back.</source>
        <translation>
            <numerusform>The undo was cancelled: %Ln file was not put back yet; another undo takes it back.</numerusform>
            <numerusform>The undo was cancelled: %Ln files were not put back yet; another undo takes them back.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Ctrl+Z in the file list takes back &quot;%1&quot; in %2, %Ln files.</source>
        <translation>
            <numerusform>Ctrl+Z in the file list takes back &quot;%1&quot; in %2, %Ln file.</numerusform>
            <numerusform>Ctrl+Z in the file list takes back &quot;%1&quot; in %2, %Ln files.</numerusform>
        </translation>
    </message>
</context>
</TS>
