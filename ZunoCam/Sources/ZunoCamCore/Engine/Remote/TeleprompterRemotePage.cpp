// The LAN remote's control page: one self-contained document (style and script inline, no
// external resource), built into the binary and served unchanged on every request.
#include "TeleprompterRemoteProtocol.h"

namespace {

const char kPage[] = R"ZCPAGE(<!doctype html>
<html lang="tr">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width,initial-scale=1,maximum-scale=1,user-scalable=no,viewport-fit=cover">
<meta name="apple-mobile-web-app-capable" content="yes">
<meta name="theme-color" content="#240B26">
<title>ZunoCam Remote</title>
<style>
:root{--bg1:#6E1F63;--bg2:#471645;--bg3:#240B26;--accent:#F472D0;--accent2:#FF9BE4;--glass:rgba(255,255,255,.08);--glass2:rgba(255,255,255,.14);--border:rgba(255,255,255,.18);--text:#F8F6FA;--muted:rgba(248,246,250,.68);--live:#3EE6A8;--paused:#FFB84D;--err:#FF647C}
*{box-sizing:border-box;margin:0;padding:0;-webkit-tap-highlight-color:transparent}
html,body{min-height:100%}
body{background:linear-gradient(145deg,var(--bg1) 0%,var(--bg2) 48%,var(--bg3) 100%) fixed;color:var(--text);font-family:-apple-system,BlinkMacSystemFont,"Segoe UI",system-ui,Roboto,Ubuntu,Cantarell,"Noto Sans",sans-serif;-webkit-font-smoothing:antialiased;padding:calc(14px + env(safe-area-inset-top)) 14px calc(20px + env(safe-area-inset-bottom))}
.wrap{max-width:480px;margin:0 auto;display:flex;flex-direction:column;gap:14px}
header{display:flex;align-items:center;gap:12px}
.logo{width:34px;height:34px;border-radius:10px;background:linear-gradient(135deg,var(--accent2),var(--accent));color:#1A071C;font-weight:800;font-size:14px;display:flex;align-items:center;justify-content:center;flex:none}
.heading{flex:1;min-width:0}
.heading h1{font-size:17px;font-weight:700;line-height:1.2}
.heading p{font-size:12px;color:var(--muted)}
button{font:inherit;color:inherit;border:1px solid var(--border);background:var(--glass);cursor:pointer;transition:transform .12s ease,opacity .12s ease,background .2s ease}
button:active{transform:scale(.97);opacity:.85}
.lang{min-width:44px;min-height:40px;padding:0 12px;border-radius:999px;font-size:12px;font-weight:700;letter-spacing:.06em}
.card{background:var(--glass);border:1px solid var(--border);border-radius:20px;padding:16px;backdrop-filter:blur(18px);-webkit-backdrop-filter:blur(18px);box-shadow:0 10px 30px rgba(0,0,0,.28)}
.status-row{display:flex;align-items:center;justify-content:space-between;gap:10px;margin-bottom:12px}
.pill{display:inline-flex;align-items:center;gap:8px;padding:6px 12px;border-radius:999px;background:var(--glass2);border:1px solid var(--border);font-size:13px;font-weight:600}
.conn{font-size:11px;letter-spacing:.08em;color:var(--muted)}
.dot{width:9px;height:9px;border-radius:50%;background:var(--muted)}
.dot.live{background:var(--live);box-shadow:0 0 10px var(--live)}
.dot.paused{background:var(--paused)}
.dot.err{background:var(--err)}
.title{font-size:20px;font-weight:700;white-space:nowrap;overflow:hidden;text-overflow:ellipsis;margin-bottom:14px}
.track{height:8px;border-radius:999px;background:var(--glass2);overflow:hidden}
.fill{height:100%;width:0%;border-radius:999px;background:linear-gradient(90deg,var(--accent),var(--accent2));transition:width .3s ease}
.progress-row{display:flex;justify-content:space-between;margin-top:8px;font-size:12px;color:var(--muted)}
.transport{display:flex;gap:12px}
.main-btn{flex:1;min-height:64px;border-radius:20px;border:none;background:linear-gradient(135deg,#FFFFFF,#F9D7F0);color:#1A071C;font-size:20px;font-weight:800}
.main-btn.playing{background:linear-gradient(135deg,var(--accent2),#D948B8);color:#FFFFFF}
.reset-btn{width:84px;min-height:64px;border-radius:20px;display:flex;flex-direction:column;align-items:center;justify-content:center;gap:2px}
.reset-btn .glyph{font-size:22px;line-height:1}
.reset-btn .small{font-size:11px;color:var(--muted)}
.steppers{display:grid;grid-template-columns:minmax(0,1fr) minmax(0,1fr);gap:14px}
.steppers .card{min-width:0}
.card-title{font-size:11px;font-weight:700;text-transform:uppercase;letter-spacing:.1em;color:var(--muted);margin-bottom:10px}
.stepper{display:flex;align-items:center;justify-content:space-between;gap:6px}
.step{flex:none;width:46px;height:46px;border-radius:14px;font-size:24px;font-weight:600;display:flex;align-items:center;justify-content:center}
.value{flex:1 1 0;min-width:0;text-align:center;white-space:nowrap}
.value b{display:block;font-size:24px;font-weight:800}
.value span{font-size:11px;color:var(--muted)}
.scripts-head{display:flex;justify-content:space-between;align-items:baseline}
.count{font-size:12px;color:var(--muted)}
.list{display:flex;flex-direction:column;gap:8px}
.script-item{width:100%;display:flex;justify-content:space-between;align-items:center;gap:10px;padding:12px 14px;border-radius:14px;text-align:left;font-size:15px}
.script-item .name{flex:1;min-width:0;white-space:nowrap;overflow:hidden;text-overflow:ellipsis;font-weight:600}
.script-item .words{flex:none;font-size:12px;color:var(--muted)}
.script-item.active{background:var(--glass2);border-color:var(--accent)}
/* Narrow phones: the same controls, closer together; stepper buttons never under 40 px. */
@media (max-width:419px){body{padding-left:12px;padding-right:12px}.steppers{gap:10px}.stepper{gap:2px}.value b{font-size:21px}}
@media (max-width:389px){body{padding-left:10px;padding-right:10px}.wrap{gap:12px}.steppers{gap:8px}.steppers .card{padding:12px 8px}.step{width:40px;height:40px;border-radius:12px;font-size:22px}.value b{font-size:19px}}
</style>
</head>
<body>
<div class="wrap">
<header>
<div class="logo">ZC</div>
<div class="heading"><h1>ZunoCam Remote</h1><p id="subtitle">Teleprompter LAN Kumandası</p></div>
<button class="lang" id="langBtn" type="button">EN</button>
</header>
<section class="card">
<div class="status-row">
<span class="pill"><span class="dot" id="stateDot"></span><span id="stateLabel">Bağlanıyor…</span></span>
<span class="pill conn" id="connPill">LAN</span>
</div>
<div class="title" id="activeTitle">—</div>
<div class="track"><div class="fill" id="progressFill"></div></div>
<div class="progress-row"><span id="progressLabel">İlerleme</span><span id="progressPct">0%</span></div>
</section>
<div class="transport">
<button class="main-btn" id="toggleBtn" type="button">▶ Başlat</button>
<button class="reset-btn" id="resetBtn" type="button"><span class="glyph">↺</span><span class="small" id="resetLabel">Başa Sar</span></button>
</div>
<div class="steppers">
<section class="card">
<div class="card-title" id="wpmTitle">Akış Hızı</div>
<div class="stepper"><button class="step" id="wpmDown" type="button">−</button><div class="value"><b id="wpmVal">135</b><span>WPM</span></div><button class="step" id="wpmUp" type="button">+</button></div>
</section>
<section class="card">
<div class="card-title" id="fontTitle">Yazı Boyutu</div>
<div class="stepper"><button class="step" id="fontDown" type="button">−</button><div class="value"><b id="fontVal">24</b><span>pt</span></div><button class="step" id="fontUp" type="button">+</button></div>
</section>
</div>
<section class="card">
<div class="scripts-head"><div class="card-title" id="scriptsTitle">Senaryolar</div><span class="count" id="scriptsCount">0</span></div>
<div class="list" id="scriptsList"></div>
</section>
</div>
<script>
(function(){
"use strict";
var i18n={
tr:{subtitle:"Teleprompter LAN Kumandası",playing:"Akıyor",paused:"Duraklatıldı",offline:"Bağlantı Koptu",progress:"Okuma İlerlemesi",play:"▶ Başlat",pause:"⏸ Duraklat",reset:"Başa Sar",wpm:"Akış Hızı",font:"Yazı Boyutu",scripts:"Senaryolar",words:"kelime",langSwitch:"EN"},
en:{subtitle:"Teleprompter LAN Remote",playing:"Scrolling",paused:"Paused",offline:"Reconnecting",progress:"Reading Progress",play:"▶ Play",pause:"⏸ Pause",reset:"Reset",wpm:"Pace",font:"Font Size",scripts:"Scripts",words:"words",langSwitch:"TR"}
};
var lang=((navigator.language||"tr").toLowerCase().indexOf("tr")===0)?"tr":"en";
var latestState=null;
var connected=false;
function $(id){return document.getElementById(id);}
function t(key){return i18n[lang][key];}
function applyTexts(){
$("subtitle").textContent=t("subtitle");
$("progressLabel").textContent=t("progress");
$("resetLabel").textContent=t("reset");
$("wpmTitle").textContent=t("wpm");
$("fontTitle").textContent=t("font");
$("scriptsTitle").textContent=t("scripts");
$("langBtn").textContent=t("langSwitch");
["wpmTitle","fontTitle","scriptsTitle"].forEach(function(id){$(id).lang=lang;});
render();
}
function render(){
var dot=$("stateDot"),label=$("stateLabel");
if(!connected||!latestState){dot.className="dot err";label.textContent=t("offline");return;}
var s=latestState;
if(s.isPlaying){dot.className="dot live";label.textContent=t("playing");}
else{dot.className="dot paused";label.textContent=t("paused");}
$("activeTitle").textContent=s.activeScriptTitle?s.activeScriptTitle:"ZunoCam";
var p=Number(s.progress);
if(!isFinite(p))p=0;
p=Math.round(Math.min(1,Math.max(0,p))*100);
$("progressFill").style.width=p+"%";
$("progressPct").textContent=p+"%";
$("wpmVal").textContent=String(s.wpm?s.wpm:135);
$("fontVal").textContent=String(s.fontSize?s.fontSize:24);
var toggle=$("toggleBtn");
if(s.isPlaying){toggle.textContent=t("pause");toggle.className="main-btn playing";}
else{toggle.textContent=t("play");toggle.className="main-btn";}
var scripts=Array.isArray(s.scripts)?s.scripts:[];
$("scriptsCount").textContent=String(scripts.length);
var list=$("scriptsList");
while(list.firstChild)list.removeChild(list.firstChild);
scripts.forEach(function(item){
var row=document.createElement("button");
row.type="button";
var active=(s.activeScriptId!=null&&item.id===s.activeScriptId)||(item.title===s.activeScriptTitle);
row.className=active?"script-item active":"script-item";
var name=document.createElement("span");
name.className="name";
name.textContent=item.title;
var words=document.createElement("span");
words.className="words";
words.textContent=(item.wordCount?item.wordCount:0)+" "+t("words");
row.appendChild(name);
row.appendChild(words);
row.addEventListener("click",function(){sendCommand("select_script",item.id);});
list.appendChild(row);
});
}
function refreshState(){
fetch("/api/state",{cache:"no-store"}).then(function(r){
if(!r.ok)throw new Error("status "+r.status);
return r.json();
}).then(function(state){
latestState=state;connected=true;$("connPill").textContent="LIVE";render();
}).catch(function(){
connected=false;$("connPill").textContent="OFFLINE";render();
});
}
function sendCommand(command,scriptId){
var body={command:command};
if(scriptId!==undefined)body.scriptId=scriptId;
fetch("/api/command",{method:"POST",headers:{"Content-Type":"application/json"},body:JSON.stringify(body)}).then(function(r){
if(!r.ok)throw new Error("status "+r.status);
return r.json();
}).then(function(ack){
if(ack&&ack.state){latestState=ack.state;connected=true;$("connPill").textContent="LIVE";render();}
else refreshState();
}).catch(function(){refreshState();});
}
$("toggleBtn").addEventListener("click",function(){sendCommand("toggle");});
$("resetBtn").addEventListener("click",function(){sendCommand("reset");});
$("wpmUp").addEventListener("click",function(){sendCommand("wpm_up");});
$("wpmDown").addEventListener("click",function(){sendCommand("wpm_down");});
$("fontUp").addEventListener("click",function(){sendCommand("font_up");});
$("fontDown").addEventListener("click",function(){sendCommand("font_down");});
$("langBtn").addEventListener("click",function(){lang=(lang==="tr")?"en":"tr";applyTexts();});
applyTexts();
refreshState();
setInterval(refreshState,850);
})();
</script>
</body>
</html>
)ZCPAGE";

} // namespace

QString TeleprompterRemoteProtocol::remoteWebPageHTML()
{
    return QString::fromUtf8(kPage);
}
