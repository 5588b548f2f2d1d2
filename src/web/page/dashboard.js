// SPDX-License-Identifier: MIT
// The Kerbview panel in a browser: built from the "full" message of the feed, kept up to date by
// its "delta" messages. Read only: the page never sends anything on the feed.
'use strict';

(function () {
  const TWIPS_PER_PIXEL = 15;
  const PIXELS_PER_POINT = 96 / 72;

  // The panel's fonts, with the fallbacks the desktop view uses when one is missing.
  const FAMILIES = {
    Bombardier: '"Bombardier", "DejaVu Sans Condensed", "Roboto Condensed", "Arial Narrow", ' +
      'sans-serif-condensed, sans-serif',
    Tahoma: 'Tahoma, "DejaVu Sans", "Liberation Sans", Arial, sans-serif',
    Arial: 'Arial, "Liberation Sans", "DejaVu Sans", sans-serif',
  };

  const frame = document.getElementById('frame');
  const panel = document.getElementById('panel');
  const measure = document.createElement('canvas').getContext('2d');

  let design = { w: 648, h: 529 };
  let look = {};
  let elements = new Map(); // element index -> view
  let groups = new Map(); // first member's index -> the views of captions drawn at one size

  function px(twips) {
    return twips / TWIPS_PER_PIXEL;
  }

  function fontOf(layout, sizePx) {
    // Bombardier has no bold face; like the desktop, its stand-ins are drawn bold.
    const bold = layout.bold || layout.font === 'Bombardier';
    const family = FAMILIES[layout.font] || FAMILIES.Arial;
    return (bold ? 'bold ' : '') + sizePx + 'px ' + family;
  }

  function wantedSize(view) {
    return Math.round(view.layout.pt * PIXELS_PER_POINT);
  }

  // The largest size, at most the listed one, at which text fits the element's width with
  // margin pixels free on each side; never below 6 pixels.
  function fittedSize(view, text) {
    const wanted = wantedSize(view);
    const room = px(view.layout.w) - 2 * view.margin;
    measure.font = fontOf(view.layout, wanted);
    const width = measure.measureText(text).width;
    if (width <= room || width === 0) return wanted;
    return Math.max(6, Math.floor(wanted * room / width));
  }

  function setText(view, text) {
    if (view.text === text) return;
    view.text = text;
    view.label.textContent = text;
    if (view.margin === undefined) return;
    view.fits = fittedSize(view, text);
    // Captions of one kind are drawn at one size: the largest at which all of them fit.
    const members = view.layout.same !== undefined ? groups.get(view.layout.same) : [view];
    const size = Math.min(...members.map((m) => (m.fits === undefined ? wantedSize(m) : m.fits)));
    for (const m of members) {
      if (m.size !== size) {
        m.size = size;
        m.node.style.font = fontOf(m.layout, size);
      }
    }
  }

  function build(layout) {
    const node = document.createElement(layout.k === 'picture' ? 'img' : 'div');
    node.className = 'el ' + layout.k;
    node.dataset.name = layout.n;
    Object.assign(node.style, {
      left: px(layout.x) + 'px',
      top: px(layout.y) + 'px',
      width: px(layout.w) + 'px',
      height: px(layout.h) + 'px',
    });
    const view = { layout: layout, node: node, label: node };
    if (layout.fg) node.style.color = layout.fg;
    if (layout.k === 'text') {
      node.classList.add(layout.align);
      view.margin = 1;
    } else if (layout.k === 'lamp') {
      node.style.background = look.lampFace;
      view.margin = 4;
    } else if (layout.k === 'bar') {
      view.fill = document.createElement('div');
      view.fill.className = 'fill';
      view.fill.style.background = layout.fill;
      view.label = document.createElement('div');
      view.label.className = 'label';
      node.style.font = fontOf(layout, Math.round(layout.pt * PIXELS_PER_POINT));
      node.appendChild(view.fill);
      node.appendChild(view.label);
    } else if (layout.k === 'picture') {
      node.alt = '';
      node.addEventListener('error', () => node.classList.add('hidden'));
      node.addEventListener('load', () => node.classList.toggle('hidden', !view.visible));
    }
    return view;
  }

  function fraction(s) {
    const span = (s.max || 0) - (s.min || 0);
    if (!span || !isFinite(span)) return 0;
    const f = ((s.val || 0) - (s.min || 0)) / span;
    return isNaN(f) ? 0 : Math.min(1, Math.max(0, f));
  }

  function apply(s) {
    const view = elements.get(s.i);
    if (!view) return;
    const node = view.node;
    view.visible = s.v;
    node.classList.toggle('hidden', !s.v);
    switch (view.layout.k) {
      case 'text':
        setText(view, s.t);
        node.style.background = s.bg || 'transparent';
        break;
      case 'lamp':
        setText(view, s.t);
        node.style.color = s.on ? look.lampText : look.lampDarkText;
        break;
      case 'bar': {
        setText(view, s.t);
        node.style.background = s.bg || 'transparent';
        // The figure keeps an outline in the bar's own colour, readable on fill and background.
        const o = s.bg || '#000';
        const shadow = [];
        for (const x of [-1, 0, 1]) {
          for (const y of [-1, 0, 1]) shadow.push(x + 'px ' + y + 'px 0 ' + o);
        }
        view.label.style.textShadow = shadow.join(',');
        const percent = fraction(s) * 100 + '%';
        if (view.layout.dir === 'v') {
          view.fill.style.width = '100%';
          view.fill.style.height = percent;
        } else {
          view.fill.style.height = '100%';
          view.fill.style.width = percent;
        }
        break;
      }
      case 'marker':
        node.style.background = s.bg || 'transparent';
        break;
      case 'picture':
        if (!s.p) {
          node.removeAttribute('src');
          node.classList.add('hidden');
        } else if (node.getAttribute('src') !== s.p) {
          node.classList.add('hidden'); // shown once loaded
          node.src = s.p;
        }
        break;
    }
  }

  function fit() {
    const scale = Math.min(window.innerWidth / design.w, window.innerHeight / design.h);
    const w = design.w * scale;
    const h = design.h * scale;
    Object.assign(frame.style, {
      width: w + 'px',
      height: h + 'px',
      left: (window.innerWidth - w) / 2 + 'px',
      top: (window.innerHeight - h) / 2 + 'px',
    });
    panel.style.transform = 'scale(' + scale + ')';
  }

  function full(message) {
    design = { w: px(message.panel.w), h: px(message.panel.h) };
    look = message.panel;
    document.body.style.background = look.bg || '#000';
    panel.style.background = look.bg || '#000';
    panel.style.width = design.w + 'px';
    panel.style.height = design.h + 'px';
    panel.textContent = '';
    elements = new Map();
    groups = new Map();
    // The readings lie in one layer above the pictures, so that old ones fade as one (no
    // brighter seams where neighbours meet by a pixel); the status texts and captions, which
    // lie above the readings they meet, come after it.
    const readings = document.createElement('div');
    readings.className = 'readings';
    const above = [];
    for (const layout of message.layout) {
      const view = build(layout);
      elements.set(layout.i, view);
      if (layout.same !== undefined) {
        if (!groups.has(layout.same)) groups.set(layout.same, []);
        groups.get(layout.same).push(view);
      }
      if (layout.reading) readings.appendChild(view.node);
      else if (layout.k === 'picture') panel.appendChild(view.node);
      else above.push(view.node);
    }
    panel.appendChild(readings);
    for (const node of above) panel.appendChild(node);
    fit();
  }

  function receive(event) {
    const message = JSON.parse(event.data);
    if (message.type === 'full') full(message);
    for (const s of message.state) apply(s);
    // Old readings stay on the panel, drawn fainter, as on the desktop.
    panel.classList.toggle('stale', message.stale === true);
    panel.dataset.rev = message.rev;
  }

  let retry = 1000;
  let socket = null;

  function connect() {
    if (socket || document.hidden) return;
    const scheme = location.protocol === 'https:' ? 'wss://' : 'ws://';
    socket = new WebSocket(scheme + location.host + '/feed');
    socket.addEventListener('open', () => {
      retry = 1000;
      document.body.classList.remove('offline');
    });
    socket.addEventListener('message', receive);
    socket.addEventListener('close', () => {
      socket = null;
      document.body.classList.add('offline');
      setTimeout(connect, retry);
      retry = Math.min(retry * 2, 5000);
    });
  }

  // A phone in a pocket keeps no connection open; it comes back with the whole panel.
  document.addEventListener('visibilitychange', () => {
    if (document.hidden && socket) socket.close();
    else connect();
  });
  window.addEventListener('resize', fit);
  fit();
  connect();
})();
