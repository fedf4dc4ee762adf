<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>ByteCount</name>
    <message numerus="yes">
        <location filename="../src/ui/controls/AmbientPackState.cpp" line="+12"/>
        <source>%n bytes</source>
        <translation>
            <numerusform>%n byte</numerusform>
            <numerusform>%n bytes</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>FocusSession</name>
    <message numerus="yes">
        <location filename="../src/mixes/FocusSession.cpp" line="+188"/>
        <source>%n focus session(s) today</source>
        <translation>
            <numerusform>%n focus session today</numerusform>
            <numerusform>%n focus sessions today</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>MixSchedule</name>
    <message numerus="yes">
        <location filename="../src/mixes/MixSchedule.cpp" line="+134"/>
        <source>over %n min</source>
        <translation>
            <numerusform>over %n min</numerusform>
            <numerusform>over %n min</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>OnboardingModel</name>
    <message numerus="yes">
        <location filename="../src/ui/launcher/OnboardingModel.cpp" line="+31"/>
        <source>%n selected · Pick at least 1</source>
        <translation>
            <numerusform>%n selected · Pick at least 1</numerusform>
            <numerusform>%n selected · Pick at least 1</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>PackCardText</name>
    <message numerus="yes">
        <location filename="../src/ui/controls/AmbientPackState.cpp" line="+38"/>
        <source>%n layers · %1</source>
        <translation>
            <numerusform>%n layer · %1</numerusform>
            <numerusform>%n layers · %1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+5"/>
        <source>~5 MB · %n layers</source>
        <translation>
            <numerusform>~5 MB · %n layer</numerusform>
            <numerusform>~5 MB · %n layers</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>ScheduleDraft</name>
    <message numerus="yes">
        <location filename="../src/ui/settings/ScheduleDraft.cpp" line="+58"/>
        <source>%n min</source>
        <translation>
            <numerusform>%n min</numerusform>
            <numerusform>%n min</numerusform>
        </translation>
    </message>
</context>
</TS>
