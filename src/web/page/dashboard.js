// SPDX-License-Identifier: MIT
// The Kerbview panel in a browser: built from the "full" message of the feed, kept up to date by
// its "delta" messages; beside it, once a "laps" message came, the lap history with its fuel
// figures and plots. Read only: the page never sends anything on the feed.
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
  const tabs = document.getElementById('tabs');
  const panelTab = document.getElementById('panelTab');
  const lapsTab = document.getElementById('lapsTab');
  const lapsView = document.getElementById('laps');
  const lapTable = document.getElementById('lapTable');
  const figures = document.getElementById('figures');
  const plots = document.getElementById('plots');
  // Line colours of a plot's series, in order (the wheels FL, FR, RL, RR).
  const LINE_COLOURS = ['#4fc3f7', '#ffb74d', '#81c784', '#e57373', '#ba68c8', '#fff176'];

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
    // The views' switch, once shown, takes its height from the panel's space.
    const top = tabs.hidden ? 0 : tabs.offsetHeight;
    const room = window.innerHeight - top;
    const scale = Math.min(window.innerWidth / design.w, room / design.h);
    const w = design.w * scale;
    const h = design.h * scale;
    Object.assign(frame.style, {
      width: w + 'px',
      height: h + 'px',
      left: (window.innerWidth - w) / 2 + 'px',
      top: top + (room - h) / 2 + 'px',
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

  function cell(tag, text) {
    const node = document.createElement(tag);
    node.textContent = text;
    return node;
  }

  // A number for an axis, in the phone's own way of writing it.
  function axisText(v, span) {
    const digits = span >= 20 ? 0 : span >= 2 ? 1 : 2;
    return v.toLocaleString(undefined, { maximumFractionDigits: digits });
  }

  // One plot: a line per series over the laps, the value axis on the left with its lowest,
  // middle and highest values, the laps below with a few of their numbers. A lap without a
  // value (0 or null) leaves a gap.
  function drawPlot(canvas, plot, lapNames) {
    const ratio = window.devicePixelRatio || 1;
    const width = canvas.clientWidth;
    const height = canvas.clientHeight;
    if (!width || !height) return;
    canvas.width = Math.round(width * ratio);
    canvas.height = Math.round(height * ratio);
    const g = canvas.getContext('2d');
    g.setTransform(ratio, 0, 0, ratio, 0, 0);
    g.clearRect(0, 0, width, height);
    g.font = '11px "DejaVu Sans", Roboto, Arial, sans-serif';
    g.fillStyle = '#c8c8c8';
    g.textBaseline = 'top';
    g.fillText(plot.caption, 0, 0);

    const present = (v) => typeof v === 'number' && v !== 0;
    const all = plot.values.flat().filter(present);
    const laps = Math.max(0, ...plot.values.map((line) => line.length));
    let low = all.length ? Math.min(...all) : 0;
    let high = all.length ? Math.max(...all) : 1;
    if (high - low < 1e-9) {
      low -= 1;
      high += 1;
    }
    const pad = (high - low) * 0.08;
    low -= pad;
    high += pad;
    const labels = [low, (low + high) / 2, high].map((v) => axisText(v, high - low));
    const left = Math.ceil(Math.max(...labels.map((t) => g.measureText(t).width))) + 6;
    const area = { x: left, y: 18, w: width - left - 6, h: height - 18 - 16 };
    if (area.w <= 0 || area.h <= 0) return;
    const xOf = (i) => area.x + (laps > 1 ? (i * area.w) / (laps - 1) : area.w / 2);
    const yOf = (v) => area.y + area.h - ((v - low) / (high - low)) * area.h;

    g.strokeStyle = '#505050';
    g.lineWidth = 1;
    g.beginPath();
    g.moveTo(area.x + 0.5, area.y);
    g.lineTo(area.x + 0.5, area.y + area.h + 0.5);
    g.lineTo(area.x + area.w, area.y + area.h + 0.5);
    g.stroke();
    g.fillStyle = '#a8a8a8';
    g.textAlign = 'right';
    g.textBaseline = 'middle';
    [low, (low + high) / 2, high].forEach((v, k) => g.fillText(labels[k], left - 4, yOf(v)));
    // A few lap numbers, spread so that they never meet.
    g.textAlign = 'center';
    g.textBaseline = 'top';
    const step = Math.max(1, Math.ceil(laps / Math.max(1, Math.floor(area.w / 40))));
    for (let i = 0; i < laps; i += step) {
      g.fillText(lapNames[i] !== undefined ? lapNames[i] : String(i + 1), xOf(i),
        area.y + area.h + 3);
    }

    plot.values.forEach((line, k) => {
      g.strokeStyle = g.fillStyle = LINE_COLOURS[k % LINE_COLOURS.length];
      g.lineWidth = 1.5;
      g.beginPath();
      let drawing = false;
      line.forEach((v, i) => {
        if (!present(v)) {
          drawing = false;
          return;
        }
        if (drawing) g.lineTo(xOf(i), yOf(v));
        else g.moveTo(xOf(i), yOf(v));
        drawing = true;
      });
      g.stroke();
      line.forEach((v, i) => {
        if (present(v)) g.fillRect(xOf(i) - 1.5, yOf(v) - 1.5, 3, 3);
      });
    });
    // The series' names, right-aligned on the caption's line.
    const names = plot.series.filter((n) => n);
    if (names.length) {
      g.textAlign = 'left';
      let x = width;
      for (let k = plot.series.length - 1; k >= 0; --k) {
        if (!plot.series[k]) continue;
        x -= g.measureText(plot.series[k]).width + 14;
        g.fillStyle = LINE_COLOURS[k % LINE_COLOURS.length];
        g.fillRect(x, 4, 8, 3);
        g.fillText(plot.series[k], x + 11, 0);
      }
    }
  }

  let lastLaps = null;

  function drawPlots() {
    if (!lastLaps || lapsView.hidden) return;
    const lapNames = lastLaps.rows.map((r) => r.cells[0]);
    [...plots.children].forEach((canvas, k) => drawPlot(canvas, lastLaps.plots[k], lapNames));
  }

  function laps(message) {
    lastLaps = message;
    lapsTab.textContent = message.title;
    panelTab.textContent = message.panelCaption;
    lapsView.dataset.rev = message.rev;
    if (tabs.hidden) {
      tabs.hidden = false;
      fit();
    }
    const head = document.createElement('tr');
    for (const c of message.columns) head.appendChild(cell('th', c));
    lapTable.tHead.replaceChildren(head);
    lapTable.tBodies[0].replaceChildren(...message.rows.map((r) => {
      const row = document.createElement('tr');
      row.classList.toggle('best', r.best);
      row.classList.toggle('pit', r.pit);
      for (const c of r.cells) row.appendChild(cell('td', c));
      return row;
    }));
    figures.replaceChildren(...message.figures.flatMap((f) =>
      [cell('dt', f.caption), cell('dd', f.value || '\u2013')]));
    while (plots.children.length > message.plots.length) plots.lastChild.remove();
    while (plots.children.length < message.plots.length) {
      plots.appendChild(document.createElement('canvas'));
    }
    drawPlots();
  }

  function show(lapsShown) {
    lapsView.hidden = !lapsShown;
    document.body.classList.toggle('laps', lapsShown);
    panelTab.classList.toggle('on', !lapsShown);
    lapsTab.classList.toggle('on', lapsShown);
    drawPlots();
  }

  function receive(event) {
    const message = JSON.parse(event.data);
    if (message.type === 'laps') {
      laps(message);
      return;
    }
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
  window.addEventListener('resize', () => {
    fit();
    drawPlots();
  });
  panelTab.addEventListener('click', () => show(false));
  lapsTab.addEventListener('click', () => show(true));
  fit();
  connect();
})();
