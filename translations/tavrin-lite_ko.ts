<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ko" sourcelanguage="en">
<context>
    <name>AboutDialog</name>
    <message>
        <source>About</source>
        <translation>정보</translation>
    </message>
    <message>
        <source>Version %1
Qt %2</source>
        <translation>버전 %1
Qt %2</translation>
    </message>
    <message>
        <source>Free software under the GNU General Public License, version 3 or later (&lt;a href=&quot;https://www.gnu.org/licenses/gpl-3.0.html&quot;&gt;GPL-3.0-or-later&lt;/a&gt;): you may copy, change and pass it on under its terms. It comes with NO WARRANTY.</source>
        <translation>GNU 일반 공중 사용 허가서 버전 3 이상(&lt;a href=&quot;https://www.gnu.org/licenses/gpl-3.0.html&quot;&gt;GPL-3.0-or-later&lt;/a&gt;)을 따르는 자유 소프트웨어입니다. 허가서의 조건에 따라 복사, 수정, 배포할 수 있습니다. 어떠한 보증도 제공하지 않습니다.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>확인</translation>
    </message>
</context>
<context>
    <name>BypassDialog</name>
    <message>
        <source>The text has %1 characters; the logger takes at most %2. Shorten it and send it again.</source>
        <translation>텍스트가 %1자입니다. 로거는 최대 %2자까지 받습니다. 줄여서 다시 보내십시오.</translation>
    </message>
    <message>
        <source>The text may hold only plain ASCII letters, digits, spaces and signs, without $ or *. Change it and send it again.</source>
        <translation>텍스트에는 $와 *를 제외한 일반 ASCII 문자, 숫자, 공백, 기호만 쓸 수 있습니다. 고쳐서 다시 보내십시오.</translation>
    </message>
    <message>
        <source>Device bypass control</source>
        <translation>장치 바이패스 제어</translation>
    </message>
    <message>
        <source>&amp;Data: $PSRF201,1,%s*hh&lt;CR&gt;&lt;LF&gt; - %s: edit only</source>
        <translation>데이터(&amp;D): $PSRF201,1,%s*hh&lt;CR&gt;&lt;LF&gt; - %s: 편집 가능</translation>
    </message>
    <message>
        <source>Bypass text</source>
        <translation>바이패스 텍스트</translation>
    </message>
    <message>
        <source>&amp;Send Cmd</source>
        <translation>명령 보내기(&amp;S)</translation>
    </message>
    <message>
        <source>Bypass &amp;Test</source>
        <translation>바이패스 테스트(&amp;T)</translation>
    </message>
    <message>
        <source>Bypass &amp;END</source>
        <translation>바이패스 종료(&amp;E)</translation>
    </message>
    <message>
        <source>*Send Command Module</source>
        <translation>*명령 전송 모듈</translation>
    </message>
    <message>
        <source>(Port A-&gt;Port B or Port B-&gt;Port A)</source>
        <translation>(포트 A-&gt;포트 B 또는 포트 B-&gt;포트 A)</translation>
    </message>
</context>
<context>
    <name>Core</name>
    <message>
        <source>Running program</source>
        <translation>프로그램이 이미 실행 중입니다</translation>
    </message>
    <message>
        <source>Nothing selected Track Record.</source>
        <translation>선택한 트랙 기록이 없습니다.</translation>
    </message>
    <message>
        <source>Reading data.</source>
        <translation>데이터를 읽는 중입니다.</translation>
    </message>
    <message>
        <source>Read Done.</source>
        <translation>읽기를 마쳤습니다.</translation>
    </message>
    <message>
        <source>Read done.</source>
        <translation>읽기를 마쳤습니다.</translation>
    </message>
    <message>
        <source>Deleted all Memory.</source>
        <translation>메모리를 모두 삭제했습니다.</translation>
    </message>
    <message>
        <source>Error is Connection program to Device.</source>
        <translation>프로그램과 장치의 연결에 오류가 있습니다.</translation>
    </message>
    <message>
        <source>Do you remove all Flash memory?</source>
        <translation>플래시 메모리를 모두 삭제하시겠습니까?</translation>
    </message>
    <message>
        <source>The logger holds no track point in the chosen period, so nothing was read. Choose another period, or get all tracks.</source>
        <translation>로거에 선택한 기간의 트랙 포인트가 없어 아무것도 읽지 않았습니다. 다른 기간을 선택하거나 모든 트랙을 읽으십시오.</translation>
    </message>
    <message>
        <source>The logger holds no new track point, so nothing was read. Get All Tracks (tavrin read --all) reads the tracks read before again.</source>
        <translation>로거에 새 트랙 포인트가 없어 아무것도 읽지 않았습니다. 이전에 읽은 트랙을 다시 읽으려면 &quot;모든 트랙 읽기&quot;(tavrin read --all)를 사용하십시오.</translation>
    </message>
    <message>
        <source>The logger holds no track point, so nothing was read.</source>
        <translation>로거에 트랙 포인트가 없어 아무것도 읽지 않았습니다.</translation>
    </message>
    <message>
        <source>The record list is out of date. List the tracks again and export once more.</source>
        <translation>트랙 목록이 최신이 아닙니다. 트랙 목록을 다시 불러온 뒤 다시 내보내십시오.</translation>
    </message>
    <message>
        <source>names and descriptions</source>
        <translation>이름과 설명</translation>
    </message>
    <message>
        <source>elevation</source>
        <translation>고도</translation>
    </message>
    <message>
        <source>heart rate</source>
        <translation>심박수</translation>
    </message>
    <message>
        <source>cadence</source>
        <translation>케이던스</translation>
    </message>
    <message>
        <source>temperature</source>
        <translation>온도</translation>
    </message>
    <message>
        <source>waypoints and routes without times</source>
        <translation>시간이 없는 웨이포인트와 경로</translation>
    </message>
    <message>
        <source>routes</source>
        <translation>경로</translation>
    </message>
    <message>
        <source>waypoints</source>
        <translation>웨이포인트</translation>
    </message>
    <message>
        <source>A note group holds at most 5 characters: %1.</source>
        <translation>글자 개수가 너무 많습니다. (%1)</translation>
    </message>
    <message>
        <source>A note group may hold only the letters A-Z, a-z and the digits 0-9: %1.</source>
        <translation>사용할수 없는 글자가 존재합니다.
 알파벳과 숫자만 허용됩니다. (%1)</translation>
    </message>
    <message>
        <source>The connection to the logger on %1 was lost. Check the cable and connect again.</source>
        <translation>%1의 로거와 연결이 끊어졌습니다. 케이블을 확인하고 다시 연결하십시오.</translation>
    </message>
</context>
<context>
    <name>DesktopNotice</name>
    <message>
        <source>%1 point</source>
        <translation>포인트 %1개</translation>
    </message>
    <message>
        <source>%1 points</source>
        <translation>포인트 %1개</translation>
    </message>
    <message>
        <source>%1 new track</source>
        <translation>새 트랙 %1개</translation>
    </message>
    <message>
        <source>%1 new tracks</source>
        <translation>새 트랙 %1개</translation>
    </message>
    <message>
        <source>Open Tavrin Lite</source>
        <translation>Tavrin Lite 열기</translation>
    </message>
    <message>
        <source>The logger on %1 has no tracks not read before.</source>
        <translation>%1의 로거에 아직 읽지 않은 트랙이 없습니다.</translation>
    </message>
    <message>
        <source>The read from %1 ended early; what arrived is kept, nothing was erased. Plug the logger in again to read the rest.</source>
        <translation>%1에서 읽기가 도중에 끝났습니다. 받은 데이터는 보존했고 아무것도 지우지 않았습니다. 나머지를 읽으려면 로거를 다시 꽂으십시오.</translation>
    </message>
    <message>
        <source>Read from %1 into %2. Items were damaged on the line: read again.</source>
        <translation>%1에서 %2(으)로 읽었습니다. 전송 중 손상된 항목이 있으니 다시 읽으십시오.</translation>
    </message>
    <message>
        <source>Read from %1 into %2.</source>
        <translation>%1에서 %2(으)로 읽었습니다.</translation>
    </message>
    <message>
        <source>Tavrin Lite: the read failed</source>
        <translation>Tavrin Lite: 읽기 실패</translation>
    </message>
    <message>
        <source>Tavrin Lite: the read failed; %1 kept</source>
        <translation>Tavrin Lite: 읽기 실패, %1 보존</translation>
    </message>
    <message>
        <source>Tavrin Lite: no new tracks</source>
        <translation>Tavrin Lite: 새 트랙 없음</translation>
    </message>
    <message>
        <source>Tavrin Lite: %1, %2</source>
        <translation>Tavrin Lite: %1, %2</translation>
    </message>
</context>
<context>
    <name>DevicePage</name>
    <message>
        <source>Soft&amp;ware Options</source>
        <translation>프로그램 옵션(&amp;W)</translation>
    </message>
    <message>
        <source>Stored tracks</source>
        <translation>저장된 트랙</translation>
    </message>
    <message>
        <source>&amp;Connect</source>
        <translation>연결(&amp;C)</translation>
    </message>
    <message>
        <source>Reading data.</source>
        <translation>데이터를 읽는 중입니다.</translation>
    </message>
    <message>
        <source>Reading data or Empty track data.</source>
        <translation>데이터를 읽는 중이거나 트랙 데이터가 없습니다.</translation>
    </message>
    <message>
        <source>Select USB Connect.</source>
        <translation>USB 연결을 선택했습니다.</translation>
    </message>
    <message>
        <source>Select COM Port(Serial) Connect.</source>
        <translation>COM 포트(직렬) 연결을 선택했습니다.</translation>
    </message>
    <message>
        <source>There is no connected port.</source>
        <translation>연결된 포트가 없습니다.</translation>
    </message>
    <message>
        <source>Dis&amp;connect</source>
        <translation>연결 끊기(&amp;C)</translation>
    </message>
    <message>
        <source>Connected %1.</source>
        <translation>%1에 연결했습니다.</translation>
    </message>
    <message>
        <source>Disconnected %1.</source>
        <translation>%1 연결을 끊었습니다.</translation>
    </message>
    <message>
        <source>Disconnected %1. The read was cut short %2. %3 Connect again and read the tracks again to get the rest.</source>
        <translation>%1 연결을 끊었습니다. 읽기가 도중에 끊겼습니다(%2). %3 나머지를 받으려면 다시 연결하여 트랙을 다시 읽으십시오.</translation>
    </message>
    <message>
        <source>%1 Make the folder writable or free some disk space, then read again. Nothing was read from the logger.</source>
        <translation>%1 폴더에 쓸 수 있게 하거나 디스크 공간을 확보한 뒤 다시 읽으십시오. 로거에서 아무것도 읽지 않았습니다.</translation>
    </message>
    <message>
        <source>Load Setting(Env) form Memory.</source>
        <translation>메모리에서 설정(Env)을 불러옵니다.</translation>
    </message>
    <message>
        <source>Save Setting(Env) to Memory.</source>
        <translation>메모리에 설정(Env)을 저장합니다.</translation>
    </message>
    <message>
        <source>Recommend &quot;Get New of Memory&quot;.<byte value="xd"/>
Execute &quot;Get All of Memory&quot;?</source>
        <translation>&quot;새 트랙 읽기&quot;를 권장합니다.<byte value="xd"/>
&quot;모든 트랙 읽기&quot;를 실행하시겠습니까?</translation>
    </message>
    <message>
        <source>Delete data in Memory.</source>
        <translation>메모리의 데이터를 삭제합니다.</translation>
    </message>
    <message>
        <source>Stop to read memory.</source>
        <translation>메모리 읽기를 중지합니다.</translation>
    </message>
    <message>
        <source>the watcher</source>
        <translation>감시 프로그램</translation>
    </message>
    <message>
        <source>the window</source>
        <translation>Tavrin Lite 창</translation>
    </message>
    <message>
        <source>another program</source>
        <translation>다른 프로그램</translation>
    </message>
    <message>
        <source>The logger on %1 is read by %2.</source>
        <translation>%1의 로거는 %2에서 읽고 있습니다.</translation>
    </message>
    <message>
        <source>No new tracks on the logger on %1.</source>
        <translation>%1의 로거에 새 트랙이 없습니다.</translation>
    </message>
    <message>
        <source>Read %1 from %2; disconnected.</source>
        <translation>%2에서 읽음: %1. 연결을 끊었습니다.</translation>
    </message>
    <message>
        <source> Communication Setting </source>
        <translation> 통신 설정 </translation>
    </message>
    <message>
        <source>&amp;USB Port</source>
        <translation>USB 포트(&amp;U)</translation>
    </message>
    <message>
        <source>COM Port (for &amp;Q-750+)</source>
        <translation>COM 포트 (Q-750+용)(&amp;Q)</translation>
    </message>
    <message>
        <source>COM &amp;Port</source>
        <translation>COM 포트(&amp;P)</translation>
    </message>
    <message>
        <source>&amp;BAUD Rate</source>
        <translation>전송 속도(&amp;B)</translation>
    </message>
    <message>
        <source> Device Information </source>
        <translation> 장치 정보 </translation>
    </message>
    <message>
        <source>&amp;Note</source>
        <translation>메모(&amp;N)</translation>
    </message>
    <message>
        <source>Note %1</source>
        <translation>메모 %1</translation>
    </message>
    <message>
        <source>De&amp;vice Settings</source>
        <translation>장치 설정(&amp;V)</translation>
    </message>
    <message>
        <source>Waypoint Save Options</source>
        <translation>포인트 저장 옵션</translation>
    </message>
    <message>
        <source>&amp;1. Save by Speed :</source>
        <translation>&amp;1. 속도 기준 저장 :</translation>
    </message>
    <message>
        <source>&amp;2. Save by Time :</source>
        <translation>&amp;2. 시간 기준 저장 :</translation>
    </message>
    <message>
        <source>&amp;3. Save by Distance :</source>
        <translation>&amp;3. 거리 기준 저장 :</translation>
    </message>
    <message>
        <source>&amp;Read Options</source>
        <translation>옵션 읽기(&amp;R)</translation>
    </message>
    <message>
        <source>Set &amp;Options</source>
        <translation>옵션 설정(&amp;O)</translation>
    </message>
    <message>
        <source> Device Control </source>
        <translation> 장치 제어 </translation>
    </message>
    <message>
        <source>D&amp;ata by NMEA</source>
        <translation>NMEA 데이터(&amp;A)</translation>
    </message>
    <message>
        <source>Read New &amp;Tracks</source>
        <translation>새 트랙 읽기(&amp;T)</translation>
    </message>
    <message>
        <source>&amp;Get All Tracks</source>
        <translation>모든 트랙 읽기(&amp;G)</translation>
    </message>
    <message>
        <source>&amp;Erase All Tracks</source>
        <translation>모든 트랙 삭제(&amp;E)</translation>
    </message>
    <message>
        <source>&amp;Stop Reading Memory</source>
        <translation>메모리 읽기 중지(&amp;S)</translation>
    </message>
    <message>
        <source>Get &amp;DateTime</source>
        <translation>기간 읽기(&amp;D)</translation>
    </message>
    <message>
        <source>B&amp;y Pass Mode</source>
        <translation>바이패스 모드(&amp;Y)</translation>
    </message>
    <message>
        <source>Number of Trac&amp;k Points</source>
        <translation>트랙 포인트 수(&amp;K)</translation>
    </message>
    <message>
        <source>&amp;Memory Size</source>
        <translation>메모리 크기(&amp;M)</translation>
    </message>
    <message>
        <source>Rema&amp;ined Memory</source>
        <translation>남은 메모리(&amp;I)</translation>
    </message>
    <message>
        <source> %1 Km/h</source>
        <translation> %1 km/h</translation>
    </message>
    <message>
        <source> U-%1 Km/h</source>
        <translation> U-%1 km/h</translation>
    </message>
    <message>
        <source> %1 sec</source>
        <translation> %1초</translation>
    </message>
    <message>
        <source> U-%1 sec</source>
        <translation> U-%1초</translation>
    </message>
    <message>
        <source> %1 m</source>
        <translation> %1 m</translation>
    </message>
    <message>
        <source> U-%1 m</source>
        <translation> U-%1 m</translation>
    </message>
    <message>
        <source> (%1 mph)</source>
        <translation> (%1 mph)</translation>
    </message>
    <message>
        <source> (%1 ft)</source>
        <translation> (%1 ft)</translation>
    </message>
    <message>
        <source>The logger on %1 is not ready yet; it is tried again in %2 s.</source>
        <translation>%1의 로거가 아직 준비되지 않았습니다. %2초 뒤에 다시 시도합니다.</translation>
    </message>
</context>
<context>
    <name>DeviceSettingsDialog</name>
    <message>
        <source>Device Settings</source>
        <translation>장치 설정</translation>
    </message>
    <message>
        <source>&amp;DEFAULT</source>
        <translation>기본값(&amp;D)</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>확인(&amp;O)</translation>
    </message>
    <message>
        <source>&amp;CANCLE</source>
        <translation>취소(&amp;C)</translation>
    </message>
    <message>
        <source>Waypoint Save Options</source>
        <translation>포인트 저장 옵션</translation>
    </message>
    <message>
        <source>Save by Speed</source>
        <translation>속도 기준 저장</translation>
    </message>
    <message>
        <source>Save by Time</source>
        <translation>시간 기준 저장</translation>
    </message>
    <message>
        <source>Save by Distance</source>
        <translation>거리 기준 저장</translation>
    </message>
    <message>
        <source>&amp;1. Save by Speed :</source>
        <translation>&amp;1. 속도 기준 저장 :</translation>
    </message>
    <message>
        <source>Km/h</source>
        <translation>km/h</translation>
    </message>
    <message>
        <source>(According to Speed 0~255Km/h)</source>
        <translation>(속도 기준 0~255 km/h)</translation>
    </message>
    <message>
        <source>&amp;2. Save by Time :</source>
        <translation>&amp;2. 시간 기준 저장 :</translation>
    </message>
    <message>
        <source>Sec</source>
        <translation>초</translation>
    </message>
    <message>
        <source>(According to Time 0~255 second)</source>
        <translation>(시간 기준 0~255초)</translation>
    </message>
    <message>
        <source>&amp;3. Save by Distance :</source>
        <translation>&amp;3. 거리 기준 저장 :</translation>
    </message>
    <message>
        <source>M</source>
        <translation>m</translation>
    </message>
    <message>
        <source>(According to Distance 0~65535m)</source>
        <translation>(거리 기준 0~65535 m)</translation>
    </message>
    <message>
        <source>Note Information</source>
        <translation>메모 정보</translation>
    </message>
    <message>
        <source>Group%1</source>
        <translation>그룹%1</translation>
    </message>
    <message>
        <source>&amp;Group1</source>
        <translation>그룹1(&amp;G)</translation>
    </message>
    <message>
        <source>Each group can write maximum 5 letters.</source>
        <translation>각 그룹에는 최대 5글자까지 쓸 수 있습니다.</translation>
    </message>
    <message>
        <source>Here must write digit and alphabet only.</source>
        <translation>숫자와 영문자만 쓸 수 있습니다.</translation>
    </message>
    <message>
        <source>Do not write Symbol. (!#$%^&amp;*...)</source>
        <translation>기호는 쓰지 마십시오. (!#$%^&amp;*...)</translation>
    </message>
    <message>
        <source>%1 takes a whole number from 0 to %2 %3; %4 is too large. Nothing was stored.</source>
        <translation>%1에는 0부터 %2 %3까지의 정수를 넣어야 합니다. %4은(는) 너무 큽니다. 아무것도 저장하지 않았습니다.</translation>
    </message>
    <message>
        <source>seconds</source>
        <translation>초</translation>
    </message>
    <message>
        <source>metres</source>
        <translation>m</translation>
    </message>
    <message>
        <source>Error in Information: Group%1.</source>
        <translation>정보 오류: 그룹%1.</translation>
    </message>
</context>
<context>
    <name>HistoryPage</name>
    <message>
        <source>Drawing the tracks…</source>
        <translation>트랙을 그리는 중…</translation>
    </message>
    <message>
        <source>No track in this period.</source>
        <translation>이 기간에는 트랙이 없습니다.</translation>
    </message>
    <message numerus="yes">
        <source>%n track(s), %1 points</source>
        <translation>
            <numerusform>트랙 %n개, 포인트 %1개</numerusform>
        </translation>
    </message>
    <message>
        <source>Day</source>
        <translation>일</translation>
    </message>
    <message>
        <source>Month</source>
        <translation>월</translation>
    </message>
    <message>
        <source>Year</source>
        <translation>연</translation>
    </message>
    <message>
        <source>All</source>
        <translation>전체</translation>
    </message>
    <message>
        <source>&amp;Period:</source>
        <translation>기간(&amp;P):</translation>
    </message>
    <message>
        <source>Date of the period</source>
        <translation>기간의 날짜</translation>
    </message>
    <message>
        <source>Find in &amp;box</source>
        <translation>영역에서 찾기(&amp;B)</translation>
    </message>
    <message>
        <source>Drag a box on the map (or Shift+drag) to list when a track passed there</source>
        <translation>지도에서 영역을 드래그하면(또는 Shift+드래그) 트랙이 그곳을 지난 시간을 나열합니다</translation>
    </message>
    <message>
        <source> m</source>
        <translation> m</translation>
    </message>
    <message>
        <source>Right-click the map to list when a track passed within this distance</source>
        <translation>지도를 마우스 오른쪽 버튼으로 클릭하면 트랙이 이 거리 안을 지난 시간을 나열합니다</translation>
    </message>
    <message>
        <source>&amp;Radius:</source>
        <translation>반경(&amp;R):</translation>
    </message>
    <message>
        <source>History map</source>
        <translation>전체 기록 지도</translation>
    </message>
    <message>
        <source>Passages</source>
        <translation>통과 기록</translation>
    </message>
    <message>
        <source>Track</source>
        <translation>트랙</translation>
    </message>
    <message>
        <source>First time there</source>
        <translation>처음 지난 시간</translation>
    </message>
    <message>
        <source>Last time there</source>
        <translation>마지막 지난 시간</translation>
    </message>
    <message>
        <source>Closest (m)</source>
        <translation>최단 거리 (m)</translation>
    </message>
    <message>
        <source>Point at a line to see when it was recorded; click it to open the track on the Track Record page. Drag a box with &quot;Find in box&quot; (or Shift+drag), or right-click, to list when a track passed there.</source>
        <translation>선을 가리키면 기록된 시간이 보이고, 클릭하면 트랙 기록 페이지에서 그 트랙을 엽니다. &quot;영역에서 찾기&quot;로(또는 Shift+드래그) 영역을 드래그하거나 마우스 오른쪽 버튼을 클릭하면 트랙이 그곳을 지난 시간을 나열합니다.</translation>
    </message>
    <message>
        <source>The History page goes on without its index, more slowly. %1</source>
        <translation>전체 기록 페이지는 색인 없이 더 느리게 동작합니다. %1</translation>
    </message>
    <message>
        <source>Indexing track files: %1%</source>
        <translation>트랙 파일 색인 중: %1%</translation>
    </message>
    <message numerus="yes">
        <source>The history index holds %n track file(s).</source>
        <translation>
            <numerusform>전체 기록 색인에 트랙 파일이 %n개 있습니다.</numerusform>
        </translation>
    </message>
    <message>
        <source>Finding the passages…</source>
        <translation>통과 기록을 찾는 중…</translation>
    </message>
    <message>
        <source>No track of this period passed there; choose a longer period or a larger place.</source>
        <translation>이 기간에 그곳을 지난 트랙이 없습니다. 더 긴 기간이나 더 넓은 장소를 선택하십시오.</translation>
    </message>
    <message numerus="yes">
        <source>%n passage(s) found; press Enter on one to open its track.</source>
        <translation>
            <numerusform>통과 기록 %n건을 찾았습니다. 하나를 골라 Enter 키를 누르면 그 트랙을 엽니다.</numerusform>
        </translation>
    </message>
    <message>
        <source> ft</source>
        <translation> ft</translation>
    </message>
    <message>
        <source>Closest (ft)</source>
        <translation>최단 거리 (ft)</translation>
    </message>
</context>
<context>
    <name>LinePlot</name>
    <message>
        <source>Speed graph</source>
        <translation>속도 그래프</translation>
    </message>
    <message>
        <source>Mean: %1    Min: %2    Max: %3</source>
        <translation>평균: %1    최소: %2    최대: %3</translation>
    </message>
</context>
<context>
    <name>ListColumns</name>
    <message>
        <source>No.</source>
        <translation>번호</translation>
    </message>
    <message>
        <source>First Date/Time</source>
        <translation>시작 날짜/시간</translation>
    </message>
    <message>
        <source>Last Date/Time</source>
        <translation>끝 날짜/시간</translation>
    </message>
    <message>
        <source>Drive Time</source>
        <translation>주행 시간</translation>
    </message>
    <message>
        <source>Drive Distance</source>
        <translation>주행 거리</translation>
    </message>
    <message>
        <source>Avg Speed</source>
        <translation>평균 속도</translation>
    </message>
    <message>
        <source>Etc</source>
        <translation>포인트</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>날짜</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>시간</translation>
    </message>
    <message>
        <source>State</source>
        <translation>상태</translation>
    </message>
    <message>
        <source>Latitude</source>
        <translation>위도</translation>
    </message>
    <message>
        <source>Longitude</source>
        <translation>경도</translation>
    </message>
    <message>
        <source>Heading</source>
        <translation>방향</translation>
    </message>
    <message>
        <source>Speed</source>
        <translation>속도</translation>
    </message>
    <message>
        <source>Speed (mph)</source>
        <translation>속도 (mph)</translation>
    </message>
</context>
<context>
    <name>LogbookPage</name>
    <message>
        <source>purpose</source>
        <translation>목적</translation>
    </message>
    <message>
        <source>note</source>
        <translation>메모</translation>
    </message>
    <message>
        <source>track</source>
        <translation>트랙</translation>
    </message>
    <message>
        <source>cut</source>
        <translation>자름</translation>
    </message>
    <message>
        <source>deleted</source>
        <translation>삭제됨</translation>
    </message>
    <message>
        <source>removed</source>
        <translation>제거됨</translation>
    </message>
    <message>
        <source>all trips</source>
        <translation>전체 운행</translation>
    </message>
    <message>
        <source>mi</source>
        <translation>mi</translation>
    </message>
    <message>
        <source>km</source>
        <translation>km</translation>
    </message>
    <message>
        <source> mi</source>
        <translation> mi</translation>
    </message>
    <message>
        <source> km</source>
        <translation> km</translation>
    </message>
    <message>
        <source>No trip in %1.</source>
        <translation>%1: 운행이 없습니다.</translation>
    </message>
    <message numerus="yes">
        <source>%n trip(s) in %1</source>
        <translation>
            <numerusform>%1: 운행 %n건</numerusform>
        </translation>
    </message>
    <message>
        <source>No trip is selected: select the trips in the list first (a click, and Shift or Ctrl with a click or the arrows for several).</source>
        <translation>선택한 운행이 없습니다. 먼저 목록에서 운행을 선택하십시오(클릭, 여러 개는 Shift 또는 Ctrl을 누른 채 클릭하거나 화살표 키).</translation>
    </message>
    <message>
        <source>No purpose</source>
        <translation>목적 없음</translation>
    </message>
    <message numerus="yes">
        <source>%1 for %n trip(s).</source>
        <translation>
            <numerusform>운행 %n건의 목적: %1.</numerusform>
        </translation>
    </message>
    <message>
        <source>No purpose is offered for the selected trips: a purpose is offered once an earlier trip between the same two places has one.</source>
        <translation>선택한 운행에 제안된 목적이 없습니다. 같은 두 장소 사이의 이전 운행에 목적이 있으면 그 목적이 제안됩니다.</translation>
    </message>
    <message numerus="yes">
        <source>The offered purpose is set for %n trip(s).</source>
        <translation>
            <numerusform>운행 %n건에 제안된 목적을 지정했습니다.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>The note is kept for %n trip(s).</source>
        <translation>
            <numerusform>운행 %n건에 메모를 저장했습니다.</numerusform>
        </translation>
    </message>
    <message>
        <source>The customer, the reason of the trip</source>
        <translation>고객, 운행 사유</translation>
    </message>
    <message>
        <source>Several notes: what you write replaces them all</source>
        <translation>메모가 여러 개입니다. 입력한 내용으로 모두 바뀝니다</translation>
    </message>
    <message>
        <source>This trip&apos;s purpose and note were never changed.</source>
        <translation>이 운행의 목적과 메모는 바뀐 적이 없습니다.</translation>
    </message>
    <message>
        <source>There is no trip in %1: nothing is written. Choose another period.</source>
        <translation>%1: 운행이 없어 아무것도 쓰지 않았습니다. 다른 기간을 선택하십시오.</translation>
    </message>
    <message>
        <source>Drive logbook, %1</source>
        <translation>운행 일지, %1</translation>
    </message>
    <message>
        <source>Export the logbook as CSV</source>
        <translation>운행 일지를 CSV로 내보내기</translation>
    </message>
    <message>
        <source>CSV for spreadsheets (*.csv)</source>
        <translation>스프레드시트용 CSV (*.csv)</translation>
    </message>
    <message>
        <source>The logbook could not be written to %1 (%2). Choose another folder, or free some space, and export again.</source>
        <translation>운행 일지를 %1에 쓸 수 없습니다(%2). 다른 폴더를 선택하거나 공간을 확보한 뒤 다시 내보내십시오.</translation>
    </message>
    <message numerus="yes">
        <source>The %n trip(s) of %1 are written to %2.</source>
        <translation>
            <numerusform>%1: 운행 %n건을 %2에 썼습니다.</numerusform>
        </translation>
    </message>
    <message>
        <source>Export the logbook as PDF</source>
        <translation>운행 일지를 PDF로 내보내기</translation>
    </message>
    <message>
        <source>PDF documents (*.pdf)</source>
        <translation>PDF 문서 (*.pdf)</translation>
    </message>
    <message numerus="yes">
        <source>The %n trip(s) of %1 went to the printer.</source>
        <translation>
            <numerusform>%1: 운행 %n건을 프린터로 보냈습니다.</numerusform>
        </translation>
    </message>
    <message>
        <source>Month</source>
        <translation>월</translation>
    </message>
    <message>
        <source>Year</source>
        <translation>연</translation>
    </message>
    <message>
        <source>All</source>
        <translation>전체</translation>
    </message>
    <message>
        <source>Month or year of the period</source>
        <translation>기간의 월 또는 연도</translation>
    </message>
    <message>
        <source>Pr&amp;int...</source>
        <translation>인쇄(&amp;I)...</translation>
    </message>
    <message>
        <source>Print the trips of the period, a page a month (Ctrl+P)</source>
        <translation>기간의 운행을 한 달에 한 페이지씩 인쇄합니다 (Ctrl+P)</translation>
    </message>
    <message>
        <source>Peri&amp;od:</source>
        <translation>기간(&amp;O):</translation>
    </message>
    <message>
        <source>Export &amp;CSV...</source>
        <translation>CSV 내보내기(&amp;C)...</translation>
    </message>
    <message>
        <source>Export P&amp;DF...</source>
        <translation>PDF 내보내기(&amp;D)...</translation>
    </message>
    <message>
        <source>Trips</source>
        <translation>운행</translation>
    </message>
    <message>
        <source>Selected trips:</source>
        <translation>선택한 운행:</translation>
    </message>
    <message>
        <source>&amp;Business</source>
        <translation>업무(&amp;B)</translation>
    </message>
    <message>
        <source>&amp;Private</source>
        <translation>개인(&amp;P)</translation>
    </message>
    <message>
        <source>Co&amp;mmute</source>
        <translation>출퇴근(&amp;M)</translation>
    </message>
    <message>
        <source>&amp;None</source>
        <translation>없음(&amp;N)</translation>
    </message>
    <message>
        <source>&amp;Accept offered</source>
        <translation>제안 수락(&amp;A)</translation>
    </message>
    <message>
        <source>Set the purpose offered (shown as &quot;business?&quot;) for the selected trips</source>
        <translation>제안된 목적(&quot;업무?&quot;로 표시)을 선택한 운행에 지정합니다</translation>
    </message>
    <message>
        <source>No&amp;te:</source>
        <translation>메모(&amp;T):</translation>
    </message>
    <message>
        <source>Totals of the period</source>
        <translation>기간 합계</translation>
    </message>
    <message>
        <source>Business</source>
        <translation>업무</translation>
    </message>
    <message>
        <source>Private</source>
        <translation>개인</translation>
    </message>
    <message>
        <source>Commute</source>
        <translation>출퇴근</translation>
    </message>
    <message>
        <source>No purpose yet</source>
        <translation>목적 미지정</translation>
    </message>
    <message>
        <source>All trips</source>
        <translation>전체 운행</translation>
    </message>
    <message>
        <source>trips</source>
        <translation>운행 수</translation>
    </message>
    <message>
        <source>%1, km</source>
        <translation>%1, km</translation>
    </message>
    <message>
        <source>%1, trips</source>
        <translation>%1, 운행 수</translation>
    </message>
    <message>
        <source>Odometer</source>
        <translation>주행거리계</translation>
    </message>
    <message>
        <source>Da&amp;y:</source>
        <translation>날짜(&amp;Y):</translation>
    </message>
    <message>
        <source>Readin&amp;g:</source>
        <translation>주행거리(&amp;G):</translation>
    </message>
    <message>
        <source>&amp;Enter reading</source>
        <translation>주행거리 입력(&amp;E)</translation>
    </message>
    <message>
        <source>The odometer at the start of the day, before its first trip</source>
        <translation>그날 첫 운행 전, 하루를 시작할 때의 주행거리계 값</translation>
    </message>
    <message>
        <source>Places</source>
        <translation>장소</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>이름</translation>
    </message>
    <message>
        <source>Position</source>
        <translation>위치</translation>
    </message>
    <message>
        <source>Radius (m)</source>
        <translation>반경 (m)</translation>
    </message>
    <message>
        <source>Add p&amp;lace...</source>
        <translation>장소 추가(&amp;L)...</translation>
    </message>
    <message>
        <source>Rename or mo&amp;ve...</source>
        <translation>이름 바꾸기/이동(&amp;V)...</translation>
    </message>
    <message>
        <source>&amp;Remove place</source>
        <translation>장소 삭제(&amp;R)</translation>
    </message>
    <message>
        <source>In the list: B, P, C or N sets the purpose of the selected trips, A takes the one offered, Enter goes to their note, F2 edits the cell, H lists the trip&apos;s changes (or point at its date under &quot;Changed&quot;).</source>
        <translation>목록에서: B, P, C, N 키는 선택한 운행의 목적을 지정하고, A 키는 제안된 목적을 수락하고, Enter 키는 메모로 이동하고, F2 키는 셀을 편집하고, H 키는 운행의 변경 내역을 보여 줍니다(&quot;변경일&quot; 아래의 날짜를 가리켜도 됩니다).</translation>
    </message>
    <message>
        <source>No place is chosen: choose one in the list of places first, or add one with &quot;Add place...&quot;.</source>
        <translation>선택한 장소가 없습니다. 먼저 장소 목록에서 하나를 선택하거나 &quot;장소 추가...&quot;로 추가하십시오.</translation>
    </message>
    <message>
        <source>The trips that start or end within %1 m of %2 are named &quot;%3&quot; in the logbook.</source>
        <translation>%2에서 %1 m 안에서 시작하거나 끝나는 운행은 운행 일지에서 &quot;%3&quot;(으)로 표시됩니다.</translation>
    </message>
    <message>
        <source>Name this place</source>
        <translation>이 장소에 이름 붙이기</translation>
    </message>
    <message>
        <source>Add a place</source>
        <translation>장소 추가</translation>
    </message>
    <message>
        <source>Rename or move %1</source>
        <translation>%1 이름 바꾸기/이동</translation>
    </message>
    <message>
        <source>The place &quot;%1&quot; is changed; the trips are named again.</source>
        <translation>장소 &quot;%1&quot;이(가) 바뀌어 운행의 장소 이름을 다시 붙였습니다.</translation>
    </message>
    <message>
        <source>Remove the place &quot;%1&quot;? The trips there are then named by their positions; the changes made to the place stay in the logbook.</source>
        <translation>장소 &quot;%1&quot;을(를) 삭제하시겠습니까? 그곳의 운행은 위치로 표시되며, 장소의 변경 내역은 운행 일지에 남습니다.</translation>
    </message>
    <message>
        <source>The place &quot;%1&quot; is removed.</source>
        <translation>장소 &quot;%1&quot;을(를) 삭제했습니다.</translation>
    </message>
    <message>
        <source>The odometer read %1 km at the start of %2; the trips show it from there.</source>
        <translation>%2 시작 시 주행거리계 값은 %1 km입니다. 그때부터 운행에 표시됩니다.</translation>
    </message>
    <message>
        <source>The odometer read %1 mi at the start of %2; the trips show it from there.</source>
        <translation>%2 시작 시 주행거리계는 %1 mi였습니다. 운행 목록은 이 값부터 보여 줍니다.</translation>
    </message>
    <message>
        <source>MMMM yyyy</source>
        <comment>the date format of a month: Korean writes the year first</comment>
        <translation>yyyy년 M월</translation>
    </message>
</context>
<context>
    <name>LogbookPdf</name>
    <message>
        <source>January</source>
        <translation>1월</translation>
    </message>
    <message>
        <source>February</source>
        <translation>2월</translation>
    </message>
    <message>
        <source>March</source>
        <translation>3월</translation>
    </message>
    <message>
        <source>April</source>
        <translation>4월</translation>
    </message>
    <message>
        <source>May</source>
        <translation>5월</translation>
    </message>
    <message>
        <source>June</source>
        <translation>6월</translation>
    </message>
    <message>
        <source>July</source>
        <translation>7월</translation>
    </message>
    <message>
        <source>August</source>
        <translation>8월</translation>
    </message>
    <message>
        <source>September</source>
        <translation>9월</translation>
    </message>
    <message>
        <source>October</source>
        <translation>10월</translation>
    </message>
    <message>
        <source>November</source>
        <translation>11월</translation>
    </message>
    <message>
        <source>December</source>
        <translation>12월</translation>
    </message>
    <message>
        <source>business</source>
        <translation>업무</translation>
    </message>
    <message>
        <source>private</source>
        <translation>개인</translation>
    </message>
    <message>
        <source>commute</source>
        <translation>출퇴근</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>날짜</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>시작</translation>
    </message>
    <message>
        <source>End</source>
        <translation>끝</translation>
    </message>
    <message>
        <source>From</source>
        <translation>출발지</translation>
    </message>
    <message>
        <source>To</source>
        <translation>도착지</translation>
    </message>
    <message>
        <source>km</source>
        <translation>km</translation>
    </message>
    <message>
        <source>mi</source>
        <translation>mi</translation>
    </message>
    <message>
        <source>Purpose</source>
        <translation>목적</translation>
    </message>
    <message>
        <source>Note</source>
        <translation>메모</translation>
    </message>
    <message>
        <source>Changed</source>
        <translation>변경일</translation>
    </message>
    <message>
        <source>Odo. start</source>
        <translation>주행계 시작</translation>
    </message>
    <message>
        <source>Odo. end</source>
        <translation>주행계 끝</translation>
    </message>
    <message>
        <source>%1 %2</source>
        <comment>month, year</comment>
        <translation>%2년 %1</translation>
    </message>
    <message>
        <source>%1 (continued)</source>
        <translation>%1 (계속)</translation>
    </message>
    <message>
        <source>%1: %2 km in %3 trip(s)</source>
        <translation>%1: %2 km, 운행 %3건</translation>
    </message>
    <message>
        <source>%1: %2 mi in %3 trip(s)</source>
        <translation>%1: %2 mi, 운행 %3건</translation>
    </message>
    <message>
        <source>No purpose yet</source>
        <translation>목적 미지정</translation>
    </message>
    <message>
        <source>Total: %1 km in %2 trip(s)</source>
        <translation>합계: %1 km, 운행 %2건</translation>
    </message>
    <message>
        <source>Total: %1 mi in %2 trip(s)</source>
        <translation>합계: %1 mi, 운행 %2건</translation>
    </message>
    <message>
        <source>Signature: ________________________________     Date: ________________</source>
        <translation>서명: ________________________________     날짜: ________________</translation>
    </message>
    <message>
        <source>No trip in this period.</source>
        <translation>이 기간에는 운행이 없습니다.</translation>
    </message>
    <message>
        <source>The PDF %1 could not be written; check that its folder exists and is writable.</source>
        <translation>PDF %1을(를) 쓸 수 없습니다. 폴더가 있고 쓰기가 가능한지 확인하십시오.</translation>
    </message>
    <message>
        <source>The PDF %1 could not be put in place; check the folder&apos;s rights.</source>
        <translation>PDF %1을(를) 제자리에 둘 수 없습니다. 폴더의 권한을 확인하십시오.</translation>
    </message>
    <message>
        <source>Track</source>
        <translation>트랙</translation>
    </message>
    <message>
        <source>missing</source>
        <translation>없음</translation>
    </message>
    <message>
        <source>deleted</source>
        <translation>삭제됨</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Receiving</source>
        <translation>수신 중</translation>
    </message>
    <message>
        <source>Connected</source>
        <translation>연결됨</translation>
    </message>
    <message>
        <source>Disconnected</source>
        <translation>연결 끊김</translation>
    </message>
    <message>
        <source>Pages</source>
        <translation>페이지</translation>
    </message>
    <message>
        <source> Device Control </source>
        <translation> 장치 제어 </translation>
    </message>
    <message>
        <source>  Track Record  </source>
        <translation>  트랙 기록  </translation>
    </message>
    <message>
        <source>  History  </source>
        <translation>  전체 기록  </translation>
    </message>
    <message>
        <source>  Logbook  </source>
        <translation>  운행 일지  </translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>도움말(&amp;H)</translation>
    </message>
    <message>
        <source>&amp;About Tavrin Lite</source>
        <translation>Tavrin Lite 정보(&amp;A)</translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>준비</translation>
    </message>
    <message>
        <source>Status line</source>
        <translation>상태 표시줄</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>진행률</translation>
    </message>
    <message>
        <source>Reading data.</source>
        <translation>데이터를 읽는 중입니다.</translation>
    </message>
    <message>
        <source>%1
The Logbook page stays empty until then.</source>
        <translation>%1
그때까지 운행 일지 페이지는 비어 있습니다.</translation>
    </message>
    <message>
        <source>The logbook could not note what happened to the tracks: %1</source>
        <translation>운행 일지에 트랙의 변경 내용을 기록할 수 없습니다: %1</translation>
    </message>
    <message>
        <source>%1
Places can be named once the logbook can be used.</source>
        <translation>%1
운행 일지를 쓸 수 있게 되면 장소 이름을 붙일 수 있습니다.</translation>
    </message>
    <message>
        <source>The settings file %1 holds values this program cannot use:</source>
        <translation>설정 파일 %1에 이 프로그램이 쓸 수 없는 값이 있습니다:</translation>
    </message>
    <message>
        <source>%1
Software Options opens now: choose a data folder there and press OK.</source>
        <translation>%1
이제 프로그램 옵션이 열립니다. 그곳에서 데이터 폴더를 선택하고 확인을 누르십시오.</translation>
    </message>
    <message>
        <source>The logbook is kept in the data folder, which cannot be used: choose another one in Software Options.</source>
        <translation>운행 일지는 데이터 폴더에 보관되는데, 이 폴더를 쓸 수 없습니다. 프로그램 옵션에서 다른 폴더를 선택하십시오.</translation>
    </message>
    <message>
        <source>Track records are kept in %1 from now on.</source>
        <translation>이제부터 트랙 기록을 %1에 보관합니다.</translation>
    </message>
    <message>
        <source>A track file cannot be used as it is:</source>
        <translation>트랙 파일 하나를 그대로 쓸 수 없습니다:</translation>
    </message>
    <message>
        <source>%1 track files cannot be used as they are:</source>
        <translation>트랙 파일 %1개를 그대로 쓸 수 없습니다:</translation>
    </message>
    <message>
        <source>... and %1 more; tavrin list prints every one of them.</source>
        <translation>... 외 %1개가 더 있습니다. tavrin list로 모두 볼 수 있습니다.</translation>
    </message>
    <message>
        <source>%1 track files in %2 cannot be used as they are.</source>
        <translation>%2의 트랙 파일 %1개를 그대로 쓸 수 없습니다.</translation>
    </message>
    <message>
        <source>The logbook can be used again.</source>
        <translation>운행 일지를 다시 사용할 수 있습니다.</translation>
    </message>
</context>
<context>
    <name>PhotoListModel</name>
    <message>
        <source>to tag, in its XMP sidecar</source>
        <translation>위치 넣을 사진 (XMP 사이드카 파일에)</translation>
    </message>
    <message>
        <source>to tag</source>
        <translation>위치 넣을 사진</translation>
    </message>
    <message>
        <source>tagged, in its XMP sidecar</source>
        <translation>위치 넣음 (XMP 사이드카 파일에)</translation>
    </message>
    <message>
        <source>tagged</source>
        <translation>위치 넣음</translation>
    </message>
    <message>
        <source>already has a position; left as it is (tick Overwrite positions to replace it)</source>
        <translation>이미 위치가 있어 그대로 둡니다 (바꾸려면 &quot;위치 덮어쓰기&quot;를 선택하십시오)</translation>
    </message>
    <message>
        <source>Photo</source>
        <translation>사진</translation>
    </message>
    <message>
        <source>Taken (UTC)</source>
        <translation>촬영 시각 (UTC)</translation>
    </message>
    <message>
        <source>Position</source>
        <translation>위치</translation>
    </message>
    <message>
        <source>Result</source>
        <translation>결과</translation>
    </message>
</context>
<context>
    <name>PhotosDialog</name>
    <message>
        <source>Photos</source>
        <translation>사진</translation>
    </message>
    <message>
        <source>Map of the photos</source>
        <translation>사진 지도</translation>
    </message>
    <message>
        <source>Choose the folder of the photos and press Find positions: each photo that can be placed shows here beside its track.</source>
        <translation>사진 폴더를 고르고 &quot;위치 찾기&quot;를 누르십시오. 위치를 넣을 수 있는 사진은 여기에 트랙과 함께 표시됩니다.</translation>
    </message>
    <message>
        <source>The folder of the photos</source>
        <translation>사진이 있는 폴더</translation>
    </message>
    <message>
        <source>C&amp;hoose...</source>
        <translation>선택(&amp;H)...</translation>
    </message>
    <message>
        <source>Folder of the photos</source>
        <translation>사진 폴더</translation>
    </message>
    <message>
        <source>&amp;Subfolders too</source>
        <translation>하위 폴더 포함(&amp;S)</translation>
    </message>
    <message>
        <source>&amp;Find positions</source>
        <translation>위치 찾기(&amp;F)</translation>
    </message>
    <message>
        <source>Photo fo&amp;lder</source>
        <translation>사진 폴더(&amp;L)</translation>
    </message>
    <message>
        <source>The zone the camera&apos;s clock was set to, for photos that do not say: a zone such as Europe/Berlin, or +HH:MM</source>
        <translation>시간대 정보가 없는 사진에 쓸 카메라 시계의 시간대: Europe/Berlin 같은 시간대 또는 +HH:MM</translation>
    </message>
    <message>
        <source>Added to the camera&apos;s times: a camera 90 seconds slow needs +00:01:30</source>
        <translation>카메라 시간에 더할 값: 90초 느린 카메라는 +00:01:30</translation>
    </message>
    <message>
        <source>From a &amp;clock photo...</source>
        <translation>시계 사진으로(&amp;C)...</translation>
    </message>
    <message>
        <source>Choose a photo of a clock in the list, then give the time the clock showed</source>
        <translation>목록에서 시계를 찍은 사진을 고른 뒤 시계가 가리킨 시간을 입력하십시오</translation>
    </message>
    <message>
        <source> s</source>
        <translation> 초</translation>
    </message>
    <message>
        <source>O&amp;verwrite positions</source>
        <translation>위치 덮어쓰기(&amp;V)</translation>
    </message>
    <message>
        <source>XMP si&amp;decar files</source>
        <translation>XMP 사이드카 파일(&amp;D)</translation>
    </message>
    <message>
        <source>Write each position into NAME.xmp beside the photo and leave the photo as it is</source>
        <translation>각 위치를 사진 옆의 NAME.xmp에 쓰고 사진은 그대로 둡니다</translation>
    </message>
    <message>
        <source>Camera &amp;zone</source>
        <translation>카메라 시간대(&amp;Z)</translation>
    </message>
    <message>
        <source>Clock &amp;offset</source>
        <translation>시계 보정(&amp;O)</translation>
    </message>
    <message>
        <source>Max &amp;gap</source>
        <translation>최대 간격(&amp;G)</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>진행률</translation>
    </message>
    <message>
        <source>&amp;Write positions</source>
        <translation>위치 쓰기(&amp;W)</translation>
    </message>
    <message>
        <source>S&amp;top</source>
        <translation>중지(&amp;T)</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>닫기</translation>
    </message>
    <message>
        <source>Camera zone: &quot;%1&quot; is no time zone. Give a zone such as Europe/Berlin, or an offset such as +02:00.</source>
        <translation>카메라 시간대: &quot;%1&quot;은(는) 시간대가 아닙니다. Europe/Berlin 같은 시간대나 +02:00 같은 오프셋을 입력하십시오.</translation>
    </message>
    <message>
        <source>Clock offset: %1. Give it as +HH:MM:SS, for example +00:01:30 for a camera 90 seconds slow.</source>
        <translation>시계 보정: %1. +HH:MM:SS 형식으로 입력하십시오. 예: 90초 느린 카메라는 +00:01:30.</translation>
    </message>
    <message>
        <source>Choose the folder of the photos first: type it under Photo folder, or press Choose.</source>
        <translation>먼저 사진 폴더를 지정하십시오. &quot;사진 폴더&quot;에 입력하거나 &quot;선택&quot;을 누르십시오.</translation>
    </message>
    <message>
        <source>The folder %1 cannot be found. Check its name, or press Choose to pick it.</source>
        <translation>폴더 %1을(를) 찾을 수 없습니다. 이름을 확인하거나 &quot;선택&quot;을 눌러 폴더를 고르십시오.</translation>
    </message>
    <message>
        <source>No stored track has a point with a position, so no photo can be placed. Read the logger&apos;s tracks first, or choose the data folder that holds them in Software Options.</source>
        <translation>저장된 트랙에 위치가 있는 포인트가 없어 사진에 위치를 넣을 수 없습니다. 먼저 로거의 트랙을 읽거나, 프로그램 옵션에서 트랙이 있는 데이터 폴더를 선택하십시오.</translation>
    </message>
    <message>
        <source>No photos (JPEG, raw, HEIF or TIFF files) in %1.</source>
        <translation>%1에 사진(JPEG, RAW, HEIF, TIFF 파일)이 없습니다.</translation>
    </message>
    <message>
        <source>No photos (JPEG, raw, HEIF or TIFF files) in %1 (tick Subfolders too to look deeper).</source>
        <translation>%1에 사진(JPEG, RAW, HEIF, TIFF 파일)이 없습니다(하위 폴더까지 찾으려면 &quot;하위 폴더 포함&quot;을 선택하십시오).</translation>
    </message>
    <message>
        <source>Reading %1 photos...</source>
        <translation>사진 %1장을 읽는 중...</translation>
    </message>
    <message>
        <source>No photo in the list is to be tagged. Press Find positions after choosing a folder.</source>
        <translation>목록에 위치를 넣을 사진이 없습니다. 폴더를 고른 뒤 &quot;위치 찾기&quot;를 누르십시오.</translation>
    </message>
    <message numerus="yes">
        <source>Write the positions into %n photo(s)?</source>
        <translation>
            <numerusform>사진 %n장에 위치를 쓰시겠습니까?</numerusform>
        </translation>
    </message>
    <message>
        <source>Each position goes into an XMP sidecar beside its photo.</source>
        <translation>각 위치는 사진 옆의 XMP 사이드카 파일에 기록됩니다.</translation>
    </message>
    <message>
        <source>Each photo gets its position; nothing else in it changes (raw files get an XMP sidecar).</source>
        <translation>각 사진에 위치가 기록되며 그 밖의 내용은 바뀌지 않습니다(RAW 파일은 XMP 사이드카 파일에 기록).</translation>
    </message>
    <message>
        <source>Writing positions...</source>
        <translation>위치를 쓰는 중...</translation>
    </message>
    <message>
        <source>Writing %1 of %2 photos...</source>
        <translation>사진 %2장 중 %1장 쓰는 중...</translation>
    </message>
    <message>
        <source>Reading %1 of %2 photos...</source>
        <translation>사진 %2장 중 %1장 읽는 중...</translation>
    </message>
    <message>
        <source>The fields changed: press Find positions to match the photos again before writing.</source>
        <translation>설정이 바뀌었습니다. 쓰기 전에 &quot;위치 찾기&quot;를 눌러 사진을 다시 맞추십시오.</translation>
    </message>
    <message>
        <source>To tag: %1, out of range: %2, already tagged: %3, failed: %4.</source>
        <translation>위치 넣을 사진: %1, 범위 밖: %2, 이미 위치 있음: %3, 실패: %4.</translation>
    </message>
    <message>
        <source>Tagged: %1, not written: %2, out of range: %3, already tagged: %4, failed: %5.</source>
        <translation>위치 넣음: %1, 쓰지 않음: %2, 범위 밖: %3, 이미 위치 있음: %4, 실패: %5.</translation>
    </message>
    <message>
        <source>Tagged: %1, out of range: %2, already tagged: %3, failed: %4.</source>
        <translation>위치 넣음: %1, 범위 밖: %2, 이미 위치 있음: %3, 실패: %4.</translation>
    </message>
    <message>
        <source>Stopped. %1</source>
        <translation>중지됨. %1</translation>
    </message>
    <message>
        <source>Choose the photo of a clock in the list first, then press From a clock photo and give the time the clock showed.</source>
        <translation>먼저 목록에서 시계를 찍은 사진을 고른 뒤 &quot;시계 사진으로...&quot;를 누르고 시계가 가리킨 시간을 입력하십시오.</translation>
    </message>
    <message>
        <source>Clock photo</source>
        <translation>시계 사진</translation>
    </message>
    <message>
        <source>The time the clock in %1 showed, YYYY-MM-DD hh:mm:ss in the camera&apos;s zone (or ending in Z for UTC):</source>
        <translation>%1의 시계가 가리킨 시간 (카메라 시간대의 YYYY-MM-DD hh:mm:ss, UTC이면 끝에 Z):</translation>
    </message>
    <message>
        <source>The clock&apos;s time: %1. Give it as YYYY-MM-DD hh:mm:ss, for example 2024-05-01 10:30:05.</source>
        <translation>시계 시간: %1. YYYY-MM-DD hh:mm:ss 형식으로 입력하십시오. 예: 2024-05-01 10:30:05.</translation>
    </message>
</context>
<context>
    <name>PlaceDialog</name>
    <message>
        <source>Home, Office, a customer&apos;s name...</source>
        <translation>집, 사무실, 고객 이름...</translation>
    </message>
    <message>
        <source>latitude, longitude, such as 37.5665, 126.978</source>
        <translation>위도, 경도 (예: 37.5665, 126.978)</translation>
    </message>
    <message>
        <source> m</source>
        <translation> m</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>확인(&amp;O)</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>취소(&amp;C)</translation>
    </message>
    <message>
        <source>&amp;Name:</source>
        <translation>이름(&amp;N):</translation>
    </message>
    <message>
        <source>&amp;Position:</source>
        <translation>위치(&amp;P):</translation>
    </message>
    <message>
        <source>&amp;Radius:</source>
        <translation>반경(&amp;R):</translation>
    </message>
    <message>
        <source>A trip that starts or ends within the radius is named by this place in the logbook.</source>
        <translation>반경 안에서 시작하거나 끝나는 운행은 운행 일지에서 이 장소 이름으로 표시됩니다.</translation>
    </message>
    <message>
        <source>Give the place a name, such as &quot;Home&quot;.</source>
        <translation>장소에 이름을 붙이십시오(예: &quot;집&quot;).</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a position: write the latitude and the longitude in degrees, such as 37.5665, 126.978.</source>
        <translation>&quot;%1&quot;은(는) 위치가 아닙니다. 위도와 경도를 도 단위로 쓰십시오(예: 37.5665, 126.978).</translation>
    </message>
</context>
<context>
    <name>PointListModel</name>
    <message>
        <source>deleted</source>
        <translation>삭제됨</translation>
    </message>
</context>
<context>
    <name>PurposeDelegate</name>
    <message>
        <source>Purpose</source>
        <translation>목적</translation>
    </message>
    <message>
        <source>none</source>
        <translation>없음</translation>
    </message>
</context>
<context>
    <name>ReadPeriodDialog</name>
    <message>
        <source>Select Date and Time for Read</source>
        <translation>읽을 날짜와 시간 선택</translation>
    </message>
    <message>
        <source>&lt;&lt; &amp;Start date and Time &gt;&gt;</source>
        <translation>&lt;&lt; 시작 날짜와 시간(&amp;S) &gt;&gt;</translation>
    </message>
    <message>
        <source>start</source>
        <translation>시작</translation>
    </message>
    <message>
        <source>&lt;&lt; &amp;End date and Time &gt;&gt;</source>
        <translation>&lt;&lt; 끝 날짜와 시간(&amp;E) &gt;&gt;</translation>
    </message>
    <message>
        <source>end</source>
        <translation>끝</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>확인(&amp;O)</translation>
    </message>
    <message>
        <source>&amp;CANCLE</source>
        <translation>취소(&amp;C)</translation>
    </message>
    <message>
        <source>%1 hour</source>
        <translation>%1 시</translation>
    </message>
    <message>
        <source>%1 minute</source>
        <translation>%1 분</translation>
    </message>
    <message>
        <source>%1 second</source>
        <translation>%1 초</translation>
    </message>
    <message>
        <source> UTC Time </source>
        <translation> UTC 시간 </translation>
    </message>
    <message>
        <source>Hour    Minute   Second</source>
        <translation>시          분            초</translation>
    </message>
</context>
<context>
    <name>SoftwareOptionsDialog</name>
    <message>
        <source>Software Options</source>
        <translation>프로그램 옵션</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>확인(&amp;O)</translation>
    </message>
    <message>
        <source>&amp;CANCLE</source>
        <translation>취소(&amp;C)</translation>
    </message>
    <message>
        <source> Timezone  </source>
        <translation> 시간대  </translation>
    </message>
    <message>
        <source>&amp;Daylight saving</source>
        <translation>서머타임(&amp;D)</translation>
    </message>
    <message>
        <source>&amp;Local Time</source>
        <translation>현지 시간(&amp;L)</translation>
    </message>
    <message>
        <source> User Options </source>
        <translation> 사용자 옵션 </translation>
    </message>
    <message>
        <source>Lan&amp;guage</source>
        <translation>언어(&amp;G)</translation>
    </message>
    <message>
        <source>&amp;Units</source>
        <translation>단위(&amp;U)</translation>
    </message>
    <message>
        <source> Folder </source>
        <translation> 폴더 </translation>
    </message>
    <message>
        <source>&amp;Browse</source>
        <translation>찾아보기(&amp;B)</translation>
    </message>
    <message>
        <source>Browse for the track record folder</source>
        <translation>트랙 기록 폴더 찾아보기</translation>
    </message>
    <message>
        <source>&amp;Read new tracks when the logger is plugged in</source>
        <translation>로거를 꽂으면 새 트랙 읽기(&amp;R)</translation>
    </message>
    <message>
        <source>&amp;Track record data path(for Save and Read)</source>
        <translation>트랙 기록 데이터 경로(저장 및 읽기용)(&amp;T)</translation>
    </message>
    <message>
        <source> External program </source>
        <translation> 외부 프로그램 </translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>찾아보기</translation>
    </message>
    <message>
        <source>Browse for the Google Earth program</source>
        <translation>Google Earth 프로그램 찾아보기</translation>
    </message>
    <message>
        <source>Google Earth Program path</source>
        <translation>Google Earth 프로그램 경로</translation>
    </message>
    <message>
        <source>License key need to Google map(Free register).</source>
        <translation>Google 지도에는 라이선스 키가 필요합니다(무료 등록).</translation>
    </message>
    <message>
        <source>Please register at Google to receive the license.</source>
        <translation>라이선스를 받으려면 Google에 등록하십시오.</translation>
    </message>
    <message>
        <source>License &amp;Key</source>
        <translation>라이선스 키(&amp;K)</translation>
    </message>
    <message>
        <source>Track record data path</source>
        <translation>트랙 기록 데이터 경로</translation>
    </message>
    <message>
        <source>Metric</source>
        <translation>미터법</translation>
    </message>
    <message>
        <source>Imperial</source>
        <translation>야드파운드법</translation>
    </message>
    <message>
        <source>Imperial: distances in miles and speeds in mph. The logger&apos;s save options stay in km/h and metres, the logger&apos;s own units.</source>
        <translation>야드파운드법: 거리는 마일(mi), 속도는 mph로 표시합니다. 로거의 저장 옵션은 로거 자체 단위인 km/h와 미터로 유지됩니다.</translation>
    </message>
    <message>
        <source>The new language is used from the next start of Tavrin Lite.</source>
        <translation>새 언어는 Tavrin Lite를 다음에 시작할 때부터 사용됩니다.</translation>
    </message>
</context>
<context>
    <name>TrackRecordPage</name>
    <message>
        <source>Track records</source>
        <translation>트랙 기록</translation>
    </message>
    <message>
        <source>Track points</source>
        <translation>트랙 포인트</translation>
    </message>
    <message>
        <source>Time of day</source>
        <translation>시각</translation>
    </message>
    <message>
        <source>View List type.</source>
        <translation>목록 보기.</translation>
    </message>
    <message>
        <source>Nothing selected Track Record.</source>
        <translation>선택한 트랙 기록이 없습니다.</translation>
    </message>
    <message>
        <source>Error.. Cannot Deleted file.</source>
        <translation>오류: 파일을 삭제할 수 없습니다.</translation>
    </message>
    <message>
        <source>1 track file is deleted.</source>
        <translation>트랙 파일 1개가 삭제됩니다.</translation>
    </message>
    <message>
        <source>%1 track files are deleted.</source>
        <translation>트랙 파일 %1개가 삭제됩니다.</translation>
    </message>
    <message>
        <source>Do you delete selected track record?</source>
        <translation>선택한 트랙 기록을 삭제하시겠습니까?</translation>
    </message>
    <message>
        <source>Deleted file.</source>
        <translation>파일을 삭제했습니다.</translation>
    </message>
    <message>
        <source>Do you deleted all Track?</source>
        <translation>모든 트랙을 삭제하시겠습니까?</translation>
    </message>
    <message>
        <source>Deleted all files.</source>
        <translation>모든 파일을 삭제했습니다.</translation>
    </message>
    <message>
        <source>Load data by set time.</source>
        <translation>설정한 시간의 데이터를 불러왔습니다.</translation>
    </message>
    <message>
        <source>Cannot create the track file: %1.</source>
        <translation>트랙 파일을 만들 수 없습니다: %1.</translation>
    </message>
    <message>
        <source>it was not put in place</source>
        <translation>제자리에 놓이지 않았습니다</translation>
    </message>
    <message>
        <source>Cannot create the track file %1: %2. Check that the data folder can be written and try again.</source>
        <translation>트랙 파일 %1을(를) 만들 수 없습니다: %2. 데이터 폴더에 쓸 수 있는지 확인하고 다시 시도하십시오.</translation>
    </message>
    <message>
        <source>Created %1.</source>
        <translation>%1을(를) 만들었습니다.</translation>
    </message>
    <message>
        <source>Created %1, on a day the list does not show.</source>
        <translation>%1을(를) 만들었습니다(목록에 표시되지 않는 날짜).</translation>
    </message>
    <message>
        <source>No point is selected: select the points to delete in the points list first.</source>
        <translation>선택한 포인트가 없습니다. 먼저 포인트 목록에서 삭제할 포인트를 선택하십시오.</translation>
    </message>
    <message>
        <source>The data folder %1 cannot be used (%2). Choose another one in Software Options; nothing was imported.</source>
        <translation>데이터 폴더 %1을(를) 사용할 수 없습니다(%2). 프로그램 옵션에서 다른 폴더를 선택하십시오. 가져온 파일은 없습니다.</translation>
    </message>
    <message>
        <source>No track can be stored in the data folder %1: %2 Make it writable or free some space, or choose another folder in Software Options; nothing was imported.</source>
        <translation>데이터 폴더 %1에 트랙을 저장할 수 없습니다: %2 쓰기 권한을 주거나 공간을 확보하거나, 프로그램 옵션에서 다른 폴더를 선택하십시오. 가져온 파일은 없습니다.</translation>
    </message>
    <message>
        <source>%1 track</source>
        <translation>트랙 %1개</translation>
    </message>
    <message>
        <source>%1 tracks</source>
        <translation>트랙 %1개</translation>
    </message>
    <message>
        <source>%1 point</source>
        <translation>포인트 %1개</translation>
    </message>
    <message>
        <source>%1 points</source>
        <translation>포인트 %1개</translation>
    </message>
    <message>
        <source>%1 file</source>
        <translation>파일 %1개</translation>
    </message>
    <message>
        <source>%1 files</source>
        <translation>파일 %1개</translation>
    </message>
    <message>
        <source>Import stopped: %1, %2 from %3.</source>
        <translation>가져오기 중지됨: %3에서 %1, %2.</translation>
    </message>
    <message>
        <source>Imported %1, %2 from %3.</source>
        <translation>%3에서 %1, %2를 가져왔습니다.</translation>
    </message>
    <message>
        <source> Stored already, skipped: %1.</source>
        <translation> 이미 저장되어 건너뜀: %1.</translation>
    </message>
    <message>
        <source>; not kept: %1.</source>
        <translation>; 보관하지 않음: %1.</translation>
    </message>
    <message>
        <source> Files with problems: %1 of %2.</source>
        <translation> 문제가 있는 파일: %2개 중 %1개.</translation>
    </message>
    <message>
        <source>Importing tracks...</source>
        <translation>트랙을 가져오는 중...</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>중지</translation>
    </message>
    <message>
        <source>Import Tracks</source>
        <translation>트랙 가져오기</translation>
    </message>
    <message>
        <source>Track files (%1)</source>
        <translation>트랙 파일 (%1)</translation>
    </message>
    <message>
        <source>NMEA text (%1)</source>
        <translation>NMEA 텍스트 (%1)</translation>
    </message>
    <message>
        <source>All files (%1)</source>
        <translation>모든 파일 (%1)</translation>
    </message>
    <message>
        <source>The logger&apos;s tracks are being read: import the files when the read has ended. Nothing was imported.</source>
        <translation>로거의 트랙을 읽는 중입니다. 읽기가 끝난 뒤 파일을 가져오십시오. 가져온 파일은 없습니다.</translation>
    </message>
    <message>
        <source>Importing tracks.</source>
        <translation>트랙을 가져오는 중입니다.</translation>
    </message>
    <message>
        <source>Some of the files could not be imported whole; what was good in them was imported:</source>
        <translation>일부 파일은 전부 가져오지 못했습니다. 그 중 올바른 부분은 가져왔습니다:</translation>
    </message>
    <message>
        <source>Check the files, or import them again from the program that made them.</source>
        <translation>파일을 확인하거나, 파일을 만든 프로그램에서 다시 내보낸 뒤 가져오십시오.</translation>
    </message>
    <message>
        <source>Export to Google Earth (&amp;KML)</source>
        <translation>Google Earth(KML)로 내보내기(&amp;K)</translation>
    </message>
    <message>
        <source>Export to &amp;NMEA Data (GPRMC)</source>
        <translation>NMEA 데이터(GPRMC)로 내보내기(&amp;N)</translation>
    </message>
    <message>
        <source>Export to Dor&amp;vale</source>
        <translation>Dorvale로 내보내기(&amp;V)</translation>
    </message>
    <message>
        <source>Export to GP&amp;X</source>
        <translation>GPX로 내보내기(&amp;X)</translation>
    </message>
    <message>
        <source>Select Data List</source>
        <translation>데이터 목록 선택</translation>
    </message>
    <message>
        <source>By &amp;Days</source>
        <translation>날짜별(&amp;D)</translation>
    </message>
    <message>
        <source>By &amp;Tracks</source>
        <translation>트랙별(&amp;T)</translation>
    </message>
    <message>
        <source> Select a Period of Time </source>
        <translation> 기간 선택 </translation>
    </message>
    <message>
        <source>&amp;Select All Tracks</source>
        <translation>모든 트랙 선택(&amp;S)</translation>
    </message>
    <message>
        <source>Day</source>
        <translation>날짜</translation>
    </message>
    <message>
        <source>Start of Period of Day</source>
        <translation>기간 시작 날짜</translation>
    </message>
    <message>
        <source>End of Period of Day</source>
        <translation>기간 끝 날짜</translation>
    </message>
    <message>
        <source> Start of &amp;Period of Day</source>
        <translation> 기간 시작 날짜(&amp;P)</translation>
    </message>
    <message>
        <source> End of Period of Da&amp;y</source>
        <translation> 기간 끝 날짜(&amp;Y)</translation>
    </message>
    <message>
        <source>C&amp;onform Selected</source>
        <translation>선택 적용(&amp;O)</translation>
    </message>
    <message>
        <source> Track Data </source>
        <translation> 트랙 데이터 </translation>
    </message>
    <message>
        <source>Date of Start</source>
        <translation>시작 날짜</translation>
    </message>
    <message>
        <source>Date of End</source>
        <translation>끝 날짜</translation>
    </message>
    <message>
        <source>Start hour</source>
        <translation>시작 시</translation>
    </message>
    <message>
        <source>Start minute</source>
        <translation>시작 분</translation>
    </message>
    <message>
        <source>End hour</source>
        <translation>끝 시</translation>
    </message>
    <message>
        <source>End minute</source>
        <translation>끝 분</translation>
    </message>
    <message>
        <source>Conform Track Selected</source>
        <translation>선택 구간 적용</translation>
    </message>
    <message>
        <source> Edit Track  </source>
        <translation> 트랙 편집  </translation>
    </message>
    <message>
        <source>&amp;Create selected Track data</source>
        <translation>선택한 트랙 데이터 만들기(&amp;C)</translation>
    </message>
    <message>
        <source>D&amp;elete selected Track data</source>
        <translation>선택한 트랙 데이터 삭제(&amp;E)</translation>
    </message>
    <message>
        <source>Edit Track Data when &quot;By Tracks&quot; Selected</source>
        <translation>&quot;트랙별&quot; 선택 시 트랙 데이터 편집</translation>
    </message>
    <message>
        <source>Date o&amp;f Start  /     Hour      Minute</source>
        <translation>시작 날짜(&amp;F)  /     시      분</translation>
    </message>
    <message>
        <source>Date of End  /     Ho&amp;ur      Minute</source>
        <translation>끝 날짜  /     시(&amp;U)      분</translation>
    </message>
    <message>
        <source>Delete Se&amp;lect Track</source>
        <translation>선택 트랙 삭제(&amp;L)</translation>
    </message>
    <message>
        <source>Delete &amp;All Tracks</source>
        <translation>모든 트랙 삭제(&amp;A)</translation>
    </message>
    <message>
        <source>Import Tracks...</source>
        <translation>트랙 가져오기...</translation>
    </message>
    <message>
        <source>Import the GPX, KML or NMEA files of other devices (Ctrl+I)</source>
        <translation>다른 장치의 GPX, KML, NMEA 파일 가져오기 (Ctrl+I)</translation>
    </message>
    <message>
        <source>Soft&amp;ware Options</source>
        <translation>프로그램 옵션(&amp;W)</translation>
    </message>
    <message>
        <source>T&amp;rack Data</source>
        <translation>트랙 데이터(&amp;R)</translation>
    </message>
    <message>
        <source>Google &amp;Maps</source>
        <translation>Google 지도(&amp;M)</translation>
    </message>
    <message>
        <source>Speed &amp;Graph</source>
        <translation>속도 그래프(&amp;G)</translation>
    </message>
    <message>
        <source>Photos...</source>
        <translation>사진...</translation>
    </message>
    <message>
        <source>Selected Track&amp;ing Log file</source>
        <translation>선택한 트랙 로그 파일(&amp;I)</translation>
    </message>
    <message>
        <source>View by a day.</source>
        <translation>날짜별 보기.</translation>
    </message>
    <message>
        <source>View by a track.</source>
        <translation>트랙별 보기.</translation>
    </message>
    <message>
        <source>View all track.</source>
        <translation>모든 트랙 보기.</translation>
    </message>
    <message>
        <source>Selected %1.</source>
        <translation>%1 선택됨.</translation>
    </message>
    <message>
        <source>View all.</source>
        <translation>전체 보기.</translation>
    </message>
    <message>
        <source>Selected    %1 ~ %2.</source>
        <translation>선택됨    %1 ~ %2.</translation>
    </message>
    <message>
        <source>Loading track data.</source>
        <translation>트랙 데이터를 불러오는 중입니다.</translation>
    </message>
    <message>
        <source>Load track data.</source>
        <translation>트랙 데이터를 불러왔습니다.</translation>
    </message>
    <message>
        <source>The track %1 is no longer stored; choose another.</source>
        <translation>트랙 %1은(는) 더 이상 저장되어 있지 않습니다. 다른 트랙을 선택하십시오.</translation>
    </message>
    <message>
        <source>Map</source>
        <translation>지도</translation>
    </message>
    <message>
        <source>Name this place...</source>
        <translation>이 장소에 이름 붙이기...</translation>
    </message>
    <message>
        <source>Places are named on the map that needs no key, or from a point of the list: right-click it there.</source>
        <translation>장소 이름은 키가 필요 없는 지도나 목록의 포인트에서 붙입니다. 그곳에서 마우스 오른쪽 단추를 누르십시오.</translation>
    </message>
    <message>
        <source>Speed (km/h)</source>
        <translation>속도 (km/h)</translation>
    </message>
    <message>
        <source>Speed (mph)</source>
        <translation>속도 (mph)</translation>
    </message>
    <message>
        <source>dddd, MMMM d, yyyy</source>
        <comment>the date format of a day, in the language&apos;s order</comment>
        <translation>yyyy년 M월 d일 dddd</translation>
    </message>
</context>
<context>
    <name>TripTableModel</name>
    <message>
        <source>business</source>
        <translation>업무</translation>
    </message>
    <message>
        <source>private</source>
        <translation>개인</translation>
    </message>
    <message>
        <source>commute</source>
        <translation>출퇴근</translation>
    </message>
    <message>
        <source>Changes of this trip (UTC):
%1</source>
        <translation>이 운행의 변경 내역 (UTC):
%1</translation>
    </message>
    <message>
        <source>The track file of this trip was deleted; its purpose, note and changes stay in the logbook.</source>
        <translation>이 운행의 트랙 파일은 삭제되었습니다. 목적, 메모, 변경 내역은 운행 일지에 남습니다.</translation>
    </message>
    <message>
        <source>Offered: the last trip between %1 and %2 was %3. Press A, &quot;Accept offered&quot; or choose it in the drop-down to set it.</source>
        <translation>제안: %1과(와) %2 사이의 지난 운행은 %3이었습니다. A 키나 &quot;제안 수락&quot;을 누르거나 드롭다운에서 골라 지정하십시오.</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>날짜</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>시작</translation>
    </message>
    <message>
        <source>End</source>
        <translation>끝</translation>
    </message>
    <message>
        <source>From</source>
        <translation>출발지</translation>
    </message>
    <message>
        <source>To</source>
        <translation>도착지</translation>
    </message>
    <message>
        <source>km</source>
        <translation>km</translation>
    </message>
    <message>
        <source>Purpose</source>
        <translation>목적</translation>
    </message>
    <message>
        <source>Note</source>
        <translation>메모</translation>
    </message>
    <message>
        <source>Odometer start</source>
        <translation>주행거리계 시작</translation>
    </message>
    <message>
        <source>Odometer end</source>
        <translation>주행거리계 끝</translation>
    </message>
    <message>
        <source>Changed</source>
        <translation>변경일</translation>
    </message>
    <message>
        <source>mi</source>
        <translation>mi</translation>
    </message>
    <message>
        <source>The track file of this trip is missing from the data folder (moved or removed outside Tavrin Lite); its purpose, note and changes stay in the logbook, and it still counts.</source>
        <translation>이 운행의 트랙 파일이 데이터 폴더에 없습니다(Tavrin Lite 밖에서 옮겨지거나 삭제됨). 목적, 메모, 변경 내역은 운행 일지에 남고, 합계에도 계속 포함됩니다.</translation>
    </message>
    <message>
        <source>deleted</source>
        <translation>삭제됨</translation>
    </message>
    <message>
        <source>Track</source>
        <translation>트랙</translation>
    </message>
    <message>
        <source>missing</source>
        <translation>없음</translation>
    </message>
</context>
</TS>
