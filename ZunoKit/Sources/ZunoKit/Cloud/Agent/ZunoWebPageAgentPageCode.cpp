#include "ZunoWebPageAgentPageCode.h"

namespace ZunoWebPageAgentPageCode {

const char kTextFunctions[] = R"JS(  function __zunoClean(value, max) {
    const text = String(value == null ? '' : value).replace(/\s+/g, ' ').trim();
    return text.length > max ? text.slice(0, max) + '\u2026' : text;
  }
  function __zunoLines(text) {
    return String(text || '').split(/[\r\n]+/)
      .map((line) => line.replace(/\s+/g, ' ').trim())
      .filter((line) => line.length > 0);
  }
)JS";

const char kTargetFunction[] = R"JS(  function __zunoFindTarget(target) {
    let key = String(target);
    if (/^@\d+$/.test(key)) key = '@e' + key.slice(1);
    const refs = window.__zunoRefMap;
    if (key.startsWith('@') && refs instanceof Map && refs.has(key)) {
      const found = refs.get(key);
      return found && found.isConnected ? found : null;
    }
    if (key.toLowerCase().startsWith('text=')) {
      const needle = key.slice(5).trim().toLowerCase();
      let best = null;
      const candidates = document.querySelectorAll('a, button, [role="button"], [role="listitem"], [role="row"], span, div');
      for (const element of candidates) {
        const own = String(element.innerText || element.getAttribute('aria-label') || '')
          .replace(/\s+/g, ' ').trim().toLowerCase();
        if (!own) continue;
        if (own === needle) return element;
        if (own.includes(needle) && (!best || own.length < String(best.innerText || '').length)) best = element;
      }
      return best;
    }
    try {
      return document.querySelector(key);
    } catch (e) {
      return null;
    }
  }
)JS";

const char kRingFunction[] = R"JS(  function __zunoShowRing(element, badge) {
    try {
      const box = element.getBoundingClientRect();
      if (box.width < 2 || box.height < 2 || !document.body) return;
      const previous = document.getElementById('__zunoAgentHighlightRing');
      if (previous) previous.remove();
      const ring = document.createElement('div');
      ring.id = '__zunoAgentHighlightRing';
      Object.assign(ring.style, {
        position: 'fixed',
        left: Math.max(0, box.left - 3) + 'px',
        top: Math.max(0, box.top - 3) + 'px',
        width: (box.width + 6) + 'px',
        height: (box.height + 6) + 'px',
        border: '2px solid #38E8FF',
        borderRadius: '8px',
        boxShadow: '0 0 0 3px rgba(56,232,255,0.22), 0 4px 16px rgba(0,0,0,0.28)',
        pointerEvents: 'none',
        zIndex: '2147483647',
        transition: 'opacity 0.35s ease-out',
      });
      if (badge) {
        const pill = document.createElement('div');
        pill.textContent = 'AI \u00b7 ' + String(badge).slice(0, 36);
        Object.assign(pill.style, {
          position: 'absolute',
          left: '0px',
          top: '-22px',
          background: '#071921',
          color: '#38E8FF',
          border: '1px solid rgba(56,232,255,0.65)',
          borderRadius: '999px',
          padding: '2px 8px',
          fontWeight: '600',
          fontSize: '10px',
          fontFamily: 'system-ui, sans-serif',
          whiteSpace: 'nowrap',
          boxShadow: '0 2px 8px rgba(0,0,0,0.35)',
        });
        ring.appendChild(pill);
      }
      document.body.appendChild(ring);
      setTimeout(() => {
        try { ring.style.opacity = '0'; } catch (e) {}
      }, 1250);
      setTimeout(() => {
        try { ring.remove(); } catch (e) {}
      }, 1650);
    } catch (e) {}
  }
)JS";

const char kSnapshotBody[] = R"JS(  const SELECTORS = {
    all: 'a[href], button, input, textarea, select, [role="button"], [role="textbox"], [role="listitem"], [role="row"], [contenteditable="true"], [tabindex="0"]',
    forms: 'input, textarea, select, [role="textbox"], [contenteditable="true"], button[type="submit"]',
    buttons: 'button, [role="button"], input[type="submit"], input[type="button"]',
    links: 'a[href]',
  };
  const selector = Object.prototype.hasOwnProperty.call(SELECTORS, MODE) ? SELECTORS[MODE] : SELECTORS.all;
  const roots = [document];
  for (let i = 0; i < roots.length && roots.length < 40; i++) {
    let all;
    try {
      all = roots[i].querySelectorAll('*');
    } catch (e) {
      continue;
    }
    for (const element of all) {
      if (element.shadowRoot && !roots.includes(element.shadowRoot)) roots.push(element.shadowRoot);
    }
  }
  function visible(element) {
    const style = getComputedStyle(element);
    if (style.display === 'none' || style.visibility === 'hidden' || parseFloat(style.opacity) === 0) return false;
    const box = element.getBoundingClientRect();
    return box.width > 1 && box.height > 1;
  }
  const refs = new Map();
  window.__zunoRefMap = refs;
  const seen = new Set();
  const elements = [];
  scan: for (const root of roots) {
    let matches;
    try {
      matches = root.querySelectorAll(selector);
    } catch (e) {
      continue;
    }
    for (const element of matches) {
      if (elements.length >= MAX_NODES) break scan;
      if (seen.has(element) || !visible(element)) continue;
      seen.add(element);
      const tag = element.tagName.toLowerCase();
      const type = (element.getAttribute('type') || '').toLowerCase();
      const role = element.getAttribute('role') || '';
      const aria = __zunoClean(element.getAttribute('aria-label'), 80) || __zunoClean(element.getAttribute('title'), 80);
      const placeholder = __zunoClean(element.getAttribute('placeholder'), 60);
      const text = __zunoClean(element.innerText, 90) || __zunoClean(element.textContent, 90);
      let value = '';
      if (tag === 'input' || tag === 'textarea' || tag === 'select') {
        if (tag === 'input' && type === 'password') value = element.value ? '\u2022\u2022\u2022\u2022' : '';
        else value = __zunoClean(element.value, 60);
      }
      const label = aria || text || placeholder || element.getAttribute('data-testid') || '';
      const editable = element.isContentEditable;
      if (!label && tag !== 'input' && tag !== 'textarea' && !editable) continue;
      const ref = '@e' + (elements.length + 1);
      refs.set(ref, element);
      let kind = tag;
      if (editable || role === 'textbox') kind = 'textbox';
      else if (role === 'button') kind = 'button';
      else if (tag === 'input' && element.hasAttribute('type')) kind = 'input:' + type;
      const parts = [ref, '[' + kind + ']'];
      if (label) parts.push('"' + label + '"');
      if (value) parts.push('val="' + value + '"');
      if (element.disabled === true || element.getAttribute('aria-disabled') === 'true') parts.push('(disabled)');
      elements.push(parts.join(' '));
    }
  }
  let pageText = '';
  try {
    const host = document.querySelector('main, [role="main"], #main') || document.body;
    pageText = host ? host.innerText || '' : '';
  } catch (e) {
    pageText = '';
  }
  const lines = __zunoLines(pageText);
  let text = lines.join('\n');
  if (text.length > MAX_TEXT) text = text.slice(0, MAX_TEXT) + '\n\u2026[truncated]';
  const url = location.href;
  const title = document.title;
  const previous = window.__zunoLastSnapshot;
  window.__zunoLastSnapshot = { url: url, title: title, elements: elements, lines: lines };
  if (DIFF && previous && previous.url === url) {
    const before = new Set(previous.elements || []);
    const now = new Set(elements);
    const addedElements = elements.filter((line) => !before.has(line));
    const removedCount = (previous.elements || []).filter((line) => !now.has(line)).length;
    const knownLines = new Set(previous.lines || []);
    const addedLines = lines.filter((line) => !knownLines.has(line));
    let addedText = addedLines.join('\n');
    if (addedText.length > MAX_TEXT) addedText = addedText.slice(addedText.length - MAX_TEXT);
    const unchanged = addedElements.length === 0 && removedCount === 0 && addedLines.length === 0
      && previous.title === title;
    return JSON.stringify({ ok: true, isDiff: true, unchanged: unchanged, title: title, url: url,
      nodeCount: elements.length, addedElements: addedElements, removedCount: removedCount, addedText: addedText });
  }
  return JSON.stringify({ ok: true, isDiff: false, title: title, url: url, nodeCount: elements.length,
    elements: elements, text: text });
)JS";

const char kExtractTextBody[] = R"JS(  let pageText = '';
  try {
    const host = document.querySelector('#main, main, [role="main"], .messages-layout, [data-testid="conversation-panel-messages"]')
      || document.body;
    pageText = host ? host.innerText || '' : '';
  } catch (e) {
    pageText = '';
  }
  let text = __zunoLines(pageText).join('\n');
  if (text.length > MAX) text = text.slice(text.length - MAX);
  return JSON.stringify({ ok: true, title: document.title, url: location.href, text: text });
)JS";

const char kInspectBody[] = R"JS(  const element = __zunoFindTarget(TARGET);
  if (!element) return JSON.stringify({ ok: false, found: false, label: '' });
  const parts = [element.getAttribute('aria-label'), element.getAttribute('title'), element.getAttribute('data-testid'),
    String(element.innerText || '').slice(0, 80)].filter((part) => part);
  return JSON.stringify({ ok: true, found: true, tag: element.tagName.toLowerCase(), label: parts.join(' ') });
)JS";

const char kClickBody[] = R"JS(  const element = __zunoFindTarget(TARGET);
  if (!element) return JSON.stringify({ ok: false, error: 'Target not found: ' + TARGET });
  try {
    element.scrollIntoView({ behavior: 'instant', block: 'center', inline: 'center' });
  } catch (e) {}
  try {
    element.focus();
  } catch (e) {}
  const label = String(element.getAttribute('aria-label') || element.innerText || element.tagName)
    .replace(/\s+/g, ' ').trim().slice(0, 80);
  __zunoShowRing(element, BADGE || label || 'Click');
  try {
    element.click();
  } catch (e) {
    return JSON.stringify({ ok: false, error: String(e && e.message !== undefined ? e.message : e) });
  }
  return JSON.stringify({ ok: true, clicked: label });
)JS";

const char kFillBody[] = R"JS(  let element = __zunoFindTarget(TARGET);
  // Only a blank target may fall back to the page's composer: a stale or mistyped one must not type there.
  if (!element && TARGET.trim() === '') {
    const fallbacks = ['footer [contenteditable="true"][role="textbox"]', '[data-testid="conversation-compose-box-input"]',
      '#editable-message-text', '[role="textbox"][contenteditable="true"]', 'textarea', 'input[type="text"]',
      'input[type="search"]'];
    for (const selector of fallbacks) {
      element = document.querySelector(selector);
      if (element) break;
    }
  }
  if (!element) return JSON.stringify({ ok: false, error: 'Input element not found: ' + TARGET });
  try {
    element.scrollIntoView({ behavior: 'instant', block: 'center' });
  } catch (e) {}
  try {
    element.focus();
  } catch (e) {}
  __zunoShowRing(element, BADGE || 'Draft');
  const tag = element.tagName.toLowerCase();
  if (element.isContentEditable) {
    try {
      const range = document.createRange();
      range.selectNodeContents(element);
      const selection = window.getSelection();
      selection.removeAllRanges();
      selection.addRange(range);
      if (!document.execCommand('insertText', false, VALUE)) {
        element.textContent = VALUE;
        element.dispatchEvent(new InputEvent('input', { bubbles: true, inputType: 'insertText', data: VALUE }));
      }
    } catch (e) {
      element.textContent = VALUE;
      element.dispatchEvent(new Event('input', { bubbles: true }));
    }
    return JSON.stringify({ ok: true, mode: 'contenteditable', length: VALUE.length });
  }
  if (tag === 'input' || tag === 'textarea') {
    // The class's own setter, so that frameworks tracking assignments on the element notice the change.
    const prototype = tag === 'input' ? window.HTMLInputElement.prototype : window.HTMLTextAreaElement.prototype;
    const descriptor = Object.getOwnPropertyDescriptor(prototype, 'value');
    if (descriptor && descriptor.set) descriptor.set.call(element, VALUE);
    else element.value = VALUE;
    element.dispatchEvent(new Event('input', { bubbles: true }));
    element.dispatchEvent(new Event('change', { bubbles: true }));
    return JSON.stringify({ ok: true, mode: tag, length: VALUE.length });
  }
  return JSON.stringify({ ok: false, error: 'Target is not an editable field (' + tag + ')' });
)JS";

const char kPressKeyBody[] = R"JS(  const target = document.activeElement || document.body;
  if (target) {
    for (const type of ['keydown', 'keypress', 'keyup'])
      target.dispatchEvent(new KeyboardEvent(type, { key: KEY, code: KEY, bubbles: true, cancelable: true }));
  }
  return JSON.stringify({ ok: true, key: KEY });
)JS";

const char kScrollBody[]
    = R"JS(  const container = document.querySelector('[data-testid="conversation-panel-messages"], .MessageList, [role="main"], main')
    || document.scrollingElement || document.documentElement;
  if (!container) return JSON.stringify({ ok: false, error: 'No scrollable container' });
  if (DIR === 'top') container.scrollTop = 0;
  else if (DIR === 'bottom') container.scrollTop = container.scrollHeight;
  else container.scrollBy({ top: DIR === 'up' ? -PX : PX, behavior: 'instant' });
  const progress = Math.round(container.scrollTop / Math.max(1, container.scrollHeight - container.clientHeight) * 100);
  return JSON.stringify({ ok: true, direction: DIR, progressPercent: progress });
)JS";

} // namespace ZunoWebPageAgentPageCode
