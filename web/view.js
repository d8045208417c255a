// The viewer page: a map of the plan and the profiles along the track under
// one distance cursor. Plain script, no library; everything it needs is in
// the page's JSON (the decoded scenario and the plan at several resolutions).
// A live page hands it a new scenario through sbView.load, and it keeps its
// view.
(function () {
  'use strict';

  var data = JSON.parse(document.getElementById('scenario-data').textContent);
  var CELL = 50;

  // --- what stands along the track --------------------------------------------

  // Kinds of symbol, in the order their labels win space.
  var KINDS = {
    station: { name: 'Stations', colour: '#1f5fbf', size: 5, priority: 0 },
    board: { name: 'Information boards', colour: '#e0b000', size: 4, priority: 1 },
    slowdown: { name: 'Slowdowns', colour: '#e06a00', size: 4, priority: 2 },
    speed: { name: 'Speed boards', colour: '#ffffff', size: 4, priority: 3 },
    marker: { name: 'Markers', colour: '#7a7a7a', size: 3, priority: 4 },
    signal: { name: 'Signals', colour: '#d0202a', size: 3, priority: 5 },
    tunnel: { name: 'Tunnel marks', colour: '#7b4a1e', size: 3, priority: 6 }
  };
  var CELL_KIND = { 1: 'signal', 2: 'slowdown', 3: 'slowdown', 4: 'slowdown', 5: 'slowdown', 6: 'speed',
    11: 'tunnel', 12: 'marker', 13: 'marker', 14: 'board' };
  var STRIP_COLOUR = { 1: '#d0202a', 2: '#e06a00', 3: '#e06a00', 4: '#f0a040', 5: '#f5c890', 6: '#6a6a6a',
    10: '#1f5fbf', 11: '#7b4a1e', 12: '#9a9a9a', 13: '#c0c0c0', 14: '#e0b000' };

  // The scenario's parts; takeScenario sets them from the page's data.
  var sc, stations, boards, cells, cellByIndex, profiles, cellCount, trackEnd, objects;

  function takeScenario(scenario) {
    sc = scenario;
    stations = (sc.stations || []).slice().sort(function (a, b) { return a.position - b.position; });
    boards = sc.boards || [];
    cells = sc.cells || [];
    cellByIndex = new Map();
    cells.forEach(function (c) { cellByIndex.set(c.cell, c); });
    profiles = sc.profiles || { speed_limit: [], gradient: [], adhesion: [], scenery: [] };
    cellCount = sc.cell_count || 0;
    trackEnd = Math.max(cellCount * CELL, 1);
    objects = [];
    stations.forEach(function (s) {
      objects.push({ kind: 'station', metre: s.position, label: s.name, station: s });
    });
    cells.forEach(function (c) {
      var k = CELL_KIND[c.kind];
      if (k) objects.push({ kind: k, metre: c.position, label: labelOf(c), cell: c });
    });
  }

  function labelOf(c) {
    var d = c.decoded || {};
    switch (c.kind) {
      case 14: return d.text || '';
      case 6: return d.first_side_km_h ? String(d.first_side_km_h).split(' ')[0] : '';
      case 2: case 3: case 4: return d.speed_km_h !== undefined ? String(d.speed_km_h) : '';
      case 12: return d.value !== undefined ? String(d.value) : '';
      default: return '';
    }
  }

  // --- the plan ------------------------------------------------------------------

  // Each level: pieces as flat [metre, x, y, ...] arrays, cut into chunks
  // with a bounding box, so a view draws only the chunks it shows.
  var CHUNK = 128;
  var levels, hasPlan, fine, bounds;

  function takePlan(planLevels) {
    levels = planLevels.map(chunked);
    hasPlan = levels.length > 0 && levels[0].chunks.length > 0;
    // The finest level, for metre -> point: ~0.05 m from the full plan.
    fine = { m: [], x: [], y: [], pieceEnd: [] };
    bounds = [Infinity, Infinity, -Infinity, -Infinity];
    if (!hasPlan) return;
    planLevels[0].pieces.forEach(function (flat) {
      for (var i = 0; i < flat.length; i += 3) {
        fine.m.push(flat[i]); fine.x.push(flat[i + 1]); fine.y.push(flat[i + 2]);
        fine.pieceEnd.push(i + 3 >= flat.length);
        bounds[0] = Math.min(bounds[0], flat[i + 1]); bounds[1] = Math.min(bounds[1], flat[i + 2]);
        bounds[2] = Math.max(bounds[2], flat[i + 1]); bounds[3] = Math.max(bounds[3], flat[i + 2]);
      }
    });
  }

  function chunked(level) {
    var chunks = [];
    level.pieces.forEach(function (flat) {
      var n = flat.length / 3;
      for (var from = 0; from < n - 1 || (n === 1 && from === 0); from += CHUNK) {
        var to = Math.min(n - 1, from + CHUNK);
        var box = [Infinity, Infinity, -Infinity, -Infinity];
        for (var i = from; i <= to; i++) {
          var x = flat[3 * i + 1], y = flat[3 * i + 2];
          if (x < box[0]) box[0] = x;
          if (y < box[1]) box[1] = y;
          if (x > box[2]) box[2] = x;
          if (y > box[3]) box[3] = y;
        }
        chunks.push({ flat: flat, from: from, to: to, box: box });
        if (n === 1) break;
      }
    });
    return { tolerance: level.tolerance, chunks: chunks };
  }

  // The plan's point at metre m, or null where the plan has no point.
  function pointAt(m) {
    var M = fine.m;
    if (!M.length || m < M[0] || m > M[M.length - 1]) return null;
    var lo = 0, hi = M.length - 1;
    while (hi - lo > 1) {
      var mid = (lo + hi) >> 1;
      if (M[mid] <= m) lo = mid; else hi = mid;
    }
    if (M[lo] === m) return { x: fine.x[lo], y: fine.y[lo] };
    if (M[hi] === m) return { x: fine.x[hi], y: fine.y[hi] };
    if (fine.pieceEnd[lo]) return null;  // m lies in a gap between pieces
    var t = (m - M[lo]) / (M[hi] - M[lo]);
    return { x: fine.x[lo] + t * (fine.x[hi] - fine.x[lo]), y: fine.y[lo] + t * (fine.y[hi] - fine.y[lo]) };
  }

  function placeObjects() { objects.forEach(function (o) { o.at = pointAt(o.metre); }); }

  // --- text --------------------------------------------------------------------

  function km(m) {
    var metres = Math.round(m);
    var sign = metres < 0 ? '-' : '';
    metres = Math.abs(metres);
    var rest = String(metres % 1000);
    while (rest.length < 3) rest = '0' + rest;
    return sign + Math.floor(metres / 1000) + '+' + rest;
  }

  function lengthText(m) { return m >= 1000 ? (m / 1000) + ' km' : m + ' m'; }

  function el(tag, cls, text) {
    var e = document.createElement(tag);
    if (cls) e.className = cls;
    if (text !== undefined) e.textContent = text;
    return e;
  }

  // --- view state ------------------------------------------------------------------

  var mapCanvas = document.getElementById('map');
  var profCanvas = document.getElementById('profiles');
  var mapCtx = mapCanvas.getContext('2d');
  var profCtx = profCanvas.getContext('2d');
  var view = { cx: 0, cy: 0, scale: 1, d0: 0, d1: 1 };
  var cursor = null;  // metre under the pointer, or pinned by a find
  var MIN_SCALE = 1e-5, MAX_SCALE = 40;  // pixels per metre
  var stats = { drawn: {}, lastDrawMs: 0, firstDrawMs: null, marker: null, level: -1 };

  // Sizes read once per layout: reading them forces the browser to lay out.
  var sizes = null;
  function layoutSizes() {
    if (!sizes) {
      sizes = { map: { w: mapCanvas.clientWidth, h: mapCanvas.clientHeight },
        prof: { w: profCanvas.clientWidth, h: profCanvas.clientHeight } };
    }
    return sizes;
  }
  function mapSize() { return layoutSizes().map; }
  function toScreen(x, y) {
    var s = mapSize();
    return [(x - view.cx) * view.scale + s.w / 2, s.h / 2 - (y - view.cy) * view.scale];
  }
  function toWorld(sx, sy) {
    var s = mapSize();
    return [view.cx + (sx - s.w / 2) / view.scale, view.cy - (sy - s.h / 2) / view.scale];
  }

  function fitBox(box, margin) {
    var s = mapSize();
    var w = Math.max(box[2] - box[0], 1), h = Math.max(box[3] - box[1], 1);
    view.cx = (box[0] + box[2]) / 2;
    view.cy = (box[1] + box[3]) / 2;
    view.scale = clamp(Math.min((s.w - 2 * margin) / w, (s.h - 2 * margin) / h), MIN_SCALE, MAX_SCALE);
  }

  function clamp(v, lo, hi) { return Math.max(lo, Math.min(hi, v)); }

  // Map and profiles go together: whichever the person moves leads.
  function mapMoved() {
    if (hasPlan) {
      var r = visibleRange((view.d0 + view.d1) / 2);
      if (r) { view.d0 = r[0]; view.d1 = r[1]; }
    }
    changed();
  }

  function profilesMoved() {
    var span = view.d1 - view.d0;
    if (span < 100) {
      var mid = (view.d0 + view.d1) / 2;
      view.d0 = mid - 50; view.d1 = mid + 50;
    }
    if (hasPlan) {
      var box = rangeBox(view.d0, view.d1);
      if (box) fitBox(box, 20);
    }
    changed();
  }

  function fitAll() {
    view.d0 = 0; view.d1 = trackEnd;
    if (hasPlan) fitBox(bounds, 30);
    changed();
  }

  // Bounding box of the plan between two metres.
  function rangeBox(d0, d1) {
    var box = [Infinity, Infinity, -Infinity, -Infinity], any = false;
    var add = function (p) {
      if (!p) return;
      any = true;
      box[0] = Math.min(box[0], p.x); box[1] = Math.min(box[1], p.y);
      box[2] = Math.max(box[2], p.x); box[3] = Math.max(box[3], p.y);
    };
    add(pointAt(d0)); add(pointAt(d1));
    for (var i = 0; i < fine.m.length; i++) {
      if (fine.m[i] > d0 && fine.m[i] < d1) add({ x: fine.x[i], y: fine.y[i] });
    }
    return any ? box : null;
  }

  // The stretch of track the map shows: every segment is clipped to the
  // view (a long straight keeps no point inside it), the pieces that touch
  // are joined, and of the stretches the one holding `anchor` wins (else
  // the longest): a winding route passes through a view several times.
  function visibleRange(anchor) {
    var s = mapSize();
    var a = toWorld(0, s.h), b = toWorld(s.w, 0);
    var parts = [];
    var level = levels[chooseLevel()];
    level.chunks.forEach(function (c) {
      if (c.box[2] < a[0] || c.box[0] > b[0] || c.box[3] < a[1] || c.box[1] > b[1]) return;
      var f = c.flat;
      if (c.from === c.to) {
        var x = f[3 * c.from + 1], y = f[3 * c.from + 2];
        if (x >= a[0] && x <= b[0] && y >= a[1] && y <= b[1]) parts.push([f[3 * c.from], f[3 * c.from]]);
        return;
      }
      for (var i = c.from; i < c.to; i++) {
        var t = clip(f[3 * i + 1], f[3 * i + 2], f[3 * i + 4], f[3 * i + 5], a, b);
        if (!t) continue;
        var m0 = f[3 * i], m1 = f[3 * i + 3];
        var lo = m0 + t[0] * (m1 - m0), hi = m0 + t[1] * (m1 - m0);
        var last = parts[parts.length - 1];
        if (last && lo - last[1] <= 1) last[1] = Math.max(last[1], hi);
        else parts.push([lo, hi]);
      }
    });
    if (!parts.length) return null;
    var pick = null;
    parts.forEach(function (r) {
      if (anchor !== undefined && anchor >= r[0] - 1 && anchor <= r[1] + 1) pick = r;
    });
    if (!pick) pick = parts.reduce(function (p, q) { return q[1] - q[0] > p[1] - p[0] ? q : p; });
    var lo2 = pick[0], hi2 = pick[1];
    if (hi2 - lo2 < 100) { var mid = (lo2 + hi2) / 2; lo2 = mid - 50; hi2 = mid + 50; }
    return [lo2, hi2];
  }

  // The part [t0, t1] of segment (x0, y0)-(x1, y1) inside box a-b, or null.
  function clip(x0, y0, x1, y1, a, b) {
    var t0 = 0, t1 = 1, dx = x1 - x0, dy = y1 - y0;
    var p = [-dx, dx, -dy, dy], q = [x0 - a[0], b[0] - x0, y0 - a[1], b[1] - y0];
    for (var k = 0; k < 4; k++) {
      if (p[k] === 0) { if (q[k] < 0) return null; continue; }
      var r = q[k] / p[k];
      if (p[k] < 0) { if (r > t1) return null; if (r > t0) t0 = r; }
      else { if (r < t0) return null; if (r < t1) t1 = r; }
    }
    return [t0, t1];
  }

  // The coarsest level whose tolerance stays within a pixel.
  function chooseLevel() {
    var allowed = 1 / view.scale;
    var best = 0;
    for (var i = 0; i < levels.length; i++) if (levels[i].tolerance <= allowed) best = i;
    return best;
  }

  // --- drawing the map ------------------------------------------------------------

  function sizeCanvas(c, ctx) {
    var r = window.devicePixelRatio || 1, size = c === mapCanvas ? mapSize() : layoutSizes().prof;
    var w = Math.max(1, Math.round(size.w * r)), h = Math.max(1, Math.round(size.h * r));
    if (c.width !== w || c.height !== h) { c.width = w; c.height = h; }
    ctx.setTransform(r, 0, 0, r, 0, 0);
  }

  function drawMap() {
    sizeCanvas(mapCanvas, mapCtx);
    var ctx = mapCtx, s = mapSize();
    ctx.clearRect(0, 0, s.w, s.h);
    var drawn = {};
    Object.keys(KINDS).forEach(function (k) { drawn[k] = 0; });
    stats.drawn = drawn;
    stats.marker = null;
    if (!hasPlan) return;
    var a = toWorld(0, s.h), b = toWorld(s.w, 0);
    var pad = 10 / view.scale;
    a[0] -= pad; a[1] -= pad; b[0] += pad; b[1] += pad;

    // The track.
    stats.level = chooseLevel();
    var level = levels[stats.level];
    ctx.strokeStyle = '#3b4651';
    ctx.lineWidth = 2;
    ctx.lineJoin = 'bevel';
    ctx.beginPath();
    var w2 = s.w / 2, h2 = s.h / 2, sc0 = view.scale, cx = view.cx, cy = view.cy;
    level.chunks.forEach(function (c) {
      if (c.box[2] < a[0] || c.box[0] > b[0] || c.box[3] < a[1] || c.box[1] > b[1]) return;
      var f = c.flat;
      ctx.moveTo((f[3 * c.from + 1] - cx) * sc0 + w2, h2 - (f[3 * c.from + 2] - cy) * sc0);
      for (var i = c.from + 1; i <= c.to; i++) ctx.lineTo((f[3 * i + 1] - cx) * sc0 + w2, h2 - (f[3 * i + 2] - cy) * sc0);
    });
    ctx.stroke();

    // Symbols, one path per kind; labels placed afterwards. Where a kind
    // crowds the view (a long route zoomed out) its symbols become plain
    // squares without outline, and one stands for all at the same pixel.
    var visible = [], byKind = {};
    Object.keys(KINDS).forEach(function (k) { byKind[k] = []; });
    objects.forEach(function (o) {
      if (!o.at || o.at.x < a[0] || o.at.x > b[0] || o.at.y < a[1] || o.at.y > b[1]) return;
      o.sx = (o.at.x - cx) * sc0 + w2; o.sy = h2 - (o.at.y - cy) * sc0;
      byKind[o.kind].push(o);
    });
    Object.keys(KINDS).reverse().forEach(function (k) {
      var kind = KINDS[k], mine = byKind[k];
      drawn[k] = mine.length;
      Array.prototype.push.apply(visible, mine);
      var r = kind.size;
      ctx.fillStyle = kind.colour;
      if (mine.length > 300 && k !== 'station') {
        var seen = new Set();
        mine.forEach(function (o) {
          var key = Math.round(o.sx) * 65536 + Math.round(o.sy);
          if (seen.has(key)) return;
          seen.add(key);
          ctx.fillRect(o.sx - r + 1, o.sy - r + 1, 2 * r - 2, 2 * r - 2);
        });
        return;
      }
      ctx.beginPath();
      mine.forEach(function (o) {
        var sx = o.sx, sy = o.sy;
        if (k === 'station') { ctx.moveTo(sx + r, sy); ctx.arc(sx, sy, r, 0, 2 * Math.PI); }
        else if (k === 'signal') { ctx.moveTo(sx, sy - r - 1); ctx.lineTo(sx + r, sy + r); ctx.lineTo(sx - r, sy + r); ctx.closePath(); }
        else if (k === 'slowdown') { ctx.moveTo(sx, sy - r); ctx.lineTo(sx + r, sy); ctx.lineTo(sx, sy + r); ctx.lineTo(sx - r, sy); ctx.closePath(); }
        else ctx.rect(sx - r, sy - r, 2 * r, 2 * r);
      });
      ctx.fill();
      ctx.lineWidth = 1;
      ctx.strokeStyle = '#222';
      ctx.stroke();
    });
    placeLabels(ctx, visible, s);
    drawScaleBar(ctx, s);

    if (cursor !== null) {
      var p = pointAt(cursor);
      if (p) {
        var q = toScreen(p.x, p.y);
        stats.marker = { metre: cursor, sx: q[0], sy: q[1] };
        ctx.beginPath();
        ctx.arc(q[0], q[1], 7, 0, 2 * Math.PI);
        ctx.lineWidth = 3;
        ctx.strokeStyle = '#ff00aa';
        ctx.stroke();
        ctx.font = 'bold 12px system-ui, sans-serif';
        ctx.textBaseline = 'middle';
        var text = km(cursor);
        ctx.fillStyle = 'rgba(255,255,255,0.9)';
        ctx.fillRect(q[0] + 8, q[1] + 9, textWidth(ctx, text) + 4, 15);
        ctx.fillStyle = '#ff00aa';
        ctx.fillText(text, q[0] + 10, q[1] + 16.5);
      }
    }
  }

  var widthCache = new Map();
  function textWidth(ctx, t) {
    var w = widthCache.get(t);
    if (w === undefined) { w = ctx.measureText(t).width; widthCache.set(t, w); }
    return w;
  }

  // Greedy: the most important labels first, a label only where it covers
  // none already placed (boxes kept in a grid of 64 px buckets).
  function placeLabels(ctx, visible, s) {
    ctx.font = '11px system-ui, sans-serif';
    ctx.textBaseline = 'middle';
    // Across more than 20 km only stations and boards are named.
    var wide = s.w / view.scale > 20000;
    var withLabel = visible.filter(function (o) { return o.label && (!wide || KINDS[o.kind].priority <= 1); });
    withLabel.sort(function (p, q) { return KINDS[p.kind].priority - KINDS[q.kind].priority; });
    var grid = new Map(), G = 64, placed = 0;
    var key = function (gx, gy) { return gx * 100003 + gy; };
    withLabel.forEach(function (o) {
      if (placed >= 600) return;
      var w = textWidth(ctx, o.label) + 4, h = 14;
      var box = [o.sx + 7, o.sy - h / 2 - 6, o.sx + 7 + w, o.sy + h / 2 - 6];
      if (box[2] < 0 || box[0] > s.w || box[3] < 0 || box[1] > s.h) return;
      var gx0 = Math.floor(box[0] / G), gx1 = Math.floor(box[2] / G), gy0 = Math.floor(box[1] / G), gy1 = Math.floor(box[3] / G);
      for (var gx = gx0; gx <= gx1; gx++) for (var gy = gy0; gy <= gy1; gy++) {
        var list = grid.get(key(gx, gy));
        if (list) for (var i = 0; i < list.length; i++) {
          var r = list[i];
          if (box[0] < r[2] && box[2] > r[0] && box[1] < r[3] && box[3] > r[1]) return;
        }
      }
      for (gx = gx0; gx <= gx1; gx++) for (gy = gy0; gy <= gy1; gy++) {
        var k = key(gx, gy);
        if (!grid.has(k)) grid.set(k, []);
        grid.get(k).push(box);
      }
      placed++;
      ctx.fillStyle = 'rgba(255,255,255,0.85)';
      ctx.fillRect(box[0], box[1], w, h);
      ctx.fillStyle = o.kind === 'station' ? '#123f86' : '#333';
      ctx.fillText(o.label, box[0] + 2, (box[1] + box[3]) / 2);
    });
    stats.labels = placed;
  }

  function niceLength(target) {
    var p = Math.pow(10, Math.floor(Math.log10(target)));
    var best = p;
    [1, 2, 5, 10].forEach(function (f) { if (f * p <= target) best = f * p; });
    return best;
  }

  function drawScaleBar(ctx, s) {
    var metres = niceLength(120 / view.scale), px = metres * view.scale;
    var x = 16, y = s.h - 18;
    ctx.fillStyle = 'rgba(255,255,255,0.8)';
    ctx.fillRect(x - 6, y - 18, px + 60, 28);
    ctx.strokeStyle = '#222';
    ctx.lineWidth = 2;
    ctx.beginPath();
    ctx.moveTo(x, y - 5); ctx.lineTo(x, y); ctx.lineTo(x + px, y); ctx.lineTo(x + px, y - 5);
    ctx.stroke();
    ctx.fillStyle = '#222';
    ctx.font = '11px system-ui, sans-serif';
    ctx.textBaseline = 'alphabetic';
    ctx.fillText(lengthText(metres), x + px + 6, y);
  }

  // --- drawing the profiles -----------------------------------------------------

  var LEFT = 100, RIGHT = 12;
  var BANDS = [
    { key: 'speed_limit', name: 'speed limit', unit: 'km/h', height: 64, colour: '#1f5fbf' },
    { key: 'gradient', name: 'gradient', unit: '', height: 56, colour: '#2e8b57', zero: true },
    { key: 'adhesion', name: 'adhesion', unit: '', height: 34, colour: '#8a5a00' },
    { key: 'scenery', name: 'scenery / tunnels', height: 22, strip: 'scenery' },
    { key: 'cells', name: 'cells', height: 22, strip: 'cells' }
  ];
  var bandTop = [];
  function scaleBands() {
    var top = 8;
    BANDS.forEach(function (b, i) {
      bandTop[i] = top;
      top += b.height + 8;
      var runs = profiles[b.key] || [];
      // The cells past the route's end hold no gradient or speed: their
      // values would squash the scale, so the range is the route's own.
      var routeEnd = sc.values ? sc.values.route_length : trackEnd;
      b.min = 0; b.max = 1;
      runs.forEach(function (r) {
        if (r.from >= routeEnd && r.from > 0) return;
        b.min = Math.min(b.min, r.value); b.max = Math.max(b.max, r.value);
      });
      if (b.max === b.min) b.max = b.min + 1;
    });
  }

  function plotWidth() { return Math.max(1, layoutSizes().prof.w - LEFT - RIGHT); }
  function dToX(d) { return LEFT + (d - view.d0) / (view.d1 - view.d0) * plotWidth(); }
  function xToD(x) { return view.d0 + (x - LEFT) / plotWidth() * (view.d1 - view.d0); }

  // Index of the first run ending after metre d.
  function firstRun(runs, d) {
    var lo = 0, hi = runs.length;
    while (lo < hi) {
      var mid = (lo + hi) >> 1;
      if (runs[mid].to <= d) lo = mid + 1; else hi = mid;
    }
    return lo;
  }

  function drawProfiles() {
    sizeCanvas(profCanvas, profCtx);
    var ctx = profCtx, W = layoutSizes().prof.w, H = layoutSizes().prof.h;
    ctx.clearRect(0, 0, W, H);
    ctx.font = '11px system-ui, sans-serif';
    ctx.textBaseline = 'middle';
    BANDS.forEach(function (b, i) {
      var top = bandTop[i];
      ctx.fillStyle = '#f3f5f7';
      ctx.fillRect(LEFT, top, plotWidth(), b.height);
      ctx.fillStyle = '#333';
      ctx.fillText(b.name, 4, top + b.height / 2);
      if (b.strip === 'cells') return drawCellStrip(ctx, top, b.height);
      var runs = profiles[b.key] || [];
      var y = function (v) { return top + b.height - (clamp(v, b.min, b.max) - b.min) / (b.max - b.min) * b.height; };
      if (b.strip === 'scenery') {
        for (var k = firstRun(runs, view.d0); k < runs.length && runs[k].from < view.d1; k++) {
          if (!runs[k].value) continue;
          var x0 = Math.max(LEFT, dToX(runs[k].from)), x1 = Math.min(LEFT + plotWidth(), dToX(runs[k].to));
          ctx.fillStyle = '#b8a07a';
          ctx.fillRect(x0, top + 3, Math.max(1, x1 - x0), b.height - 6);
        }
        return;
      }
      ctx.fillStyle = '#667';
      ctx.fillText(String(b.max), LEFT - 30, top + 5);
      ctx.fillText(String(b.min), LEFT - 30, top + b.height - 5);
      if (b.zero && b.min < 0) {
        ctx.strokeStyle = '#c5cad0'; ctx.lineWidth = 1;
        ctx.beginPath(); ctx.moveTo(LEFT, y(0)); ctx.lineTo(LEFT + plotWidth(), y(0)); ctx.stroke();
      }
      ctx.strokeStyle = b.colour; ctx.lineWidth = 1.5;
      ctx.beginPath();
      var first = firstRun(runs, view.d0), last = first;
      while (last < runs.length && runs[last].from < view.d1) last++;
      var right = LEFT + plotWidth();
      if (last - first > plotWidth()) {
        // More runs than pixels: each pixel column draws its lowest to highest value.
        var cols = Math.ceil(plotWidth()), lo = new Float64Array(cols).fill(Infinity), hi = new Float64Array(cols).fill(-Infinity);
        for (var r = first; r < last; r++) {
          var c0 = Math.max(0, Math.floor(dToX(runs[r].from) - LEFT)), c1 = Math.min(cols - 1, Math.floor(dToX(runs[r].to) - LEFT));
          for (var c = c0; c <= c1; c++) {
            if (runs[r].value < lo[c]) lo[c] = runs[r].value;
            if (runs[r].value > hi[c]) hi[c] = runs[r].value;
          }
        }
        // Filled one-pixel bars: far cheaper to rasterise than a stroke.
        for (var col = 0; col < cols; col++) {
          if (lo[col] > hi[col]) continue;
          var top0 = y(hi[col]) - 0.75, bottom = y(lo[col]) + 0.75;
          ctx.rect(LEFT + col, top0, 1, bottom - top0);
        }
        ctx.fillStyle = b.colour;
        ctx.fill();
        return;
      } else {
        for (var j = first; j < last; j++) {
          var x0 = Math.max(LEFT, dToX(runs[j].from)), x1 = Math.min(right, dToX(runs[j].to)), v = y(runs[j].value);
          if (j === first) ctx.moveTo(x0, v); else ctx.lineTo(x0, v);
          ctx.lineTo(x1, v);
        }
      }
      ctx.stroke();
    });
    // Tunnel marks over the scenery band, one per pixel column at most.
    var tTop = bandTop[3], marked = new Set();
    ctx.fillStyle = KINDS.tunnel.colour;
    cellsInRange(function (c) {
      if (c.kind !== 11) return;
      var x = Math.round(dToX(c.position));
      if (marked.has(x)) return;
      marked.add(x);
      ctx.fillRect(x - 0.5, tTop, 1.5, BANDS[3].height);
    });
    drawAxis(ctx, bandTop[4] + BANDS[4].height + 4);
    if (cursor !== null && cursor >= view.d0 && cursor <= view.d1) {
      var cxp = dToX(cursor);
      ctx.strokeStyle = '#ff00aa'; ctx.lineWidth = 1.5;
      ctx.beginPath(); ctx.moveTo(cxp, 4); ctx.lineTo(cxp, bandTop[4] + BANDS[4].height + 2); ctx.stroke();
    }
  }

  // Cells sorted by index, so a range is a binary search away.
  function cellsInRange(fn) {
    var lo = 0, hi = cells.length, from = Math.floor(view.d0 / CELL) - 2;
    while (lo < hi) { var mid = (lo + hi) >> 1; if (cells[mid].cell < from) lo = mid + 1; else hi = mid; }
    for (var i = lo; i < cells.length && cells[i].cell * CELL <= view.d1 + CELL; i++) fn(cells[i]);
  }

  // The occupied cell the strip shows under pixel column x: where cells are
  // narrower than a pixel, the one of the highest rank within two pixels.
  function stripCellAt(x) {
    var exact = cellByIndex.get(Math.floor(xToD(x) / CELL));
    if (exact || CELL / (view.d1 - view.d0) * plotWidth() >= 1) return exact;
    var best = null, from = xToD(x - 2), to = xToD(x + 2);
    cells.forEach(function (c) {
      var d = c.cell * CELL;
      if (d + CELL < from || d > to) return;
      if (!best || (STRIP_RANK[c.kind] || 0) > (STRIP_RANK[best.kind] || 0)) best = c;
    });
    return best;
  }

  // Which kind shows when several cells share a pixel column.
  var STRIP_RANK = { 1: 9, 10: 8, 3: 7, 2: 7, 4: 6, 5: 5, 14: 4, 6: 3, 12: 2, 13: 2, 11: 1 };

  // One rectangle per cell, or per pixel column where cells are narrower;
  // one fill per colour.
  function drawCellStrip(ctx, top, h) {
    var right = LEFT + plotWidth(), byColour = new Map(), column = new Map();
    var narrow = CELL / (view.d1 - view.d0) * plotWidth() < 1;
    cellsInRange(function (c) {
      var x0 = Math.max(LEFT, dToX(c.cell * CELL)), x1 = Math.min(right, dToX((c.cell + 1) * CELL));
      if (x1 < LEFT || x0 > right) return;
      if (narrow) {
        var col = Math.floor(x0), held = column.get(col);
        if (!held || (STRIP_RANK[c.kind] || 0) > (STRIP_RANK[held] || 0)) column.set(col, c.kind);
        return;
      }
      var colour = STRIP_COLOUR[c.kind] || '#000';
      if (!byColour.has(colour)) byColour.set(colour, []);
      byColour.get(colour).push([x0, Math.max(1, x1 - x0)]);
    });
    column.forEach(function (kind, col) {
      var colour = STRIP_COLOUR[kind] || '#000';
      if (!byColour.has(colour)) byColour.set(colour, []);
      byColour.get(colour).push([col, 1]);
    });
    byColour.forEach(function (list, colour) {
      ctx.fillStyle = colour;
      ctx.beginPath();
      list.forEach(function (r) { ctx.rect(r[0], top, r[1], h); });
      ctx.fill();
    });
  }

  function drawAxis(ctx, y) {
    var span = view.d1 - view.d0, step = niceLength(span / 8);
    if (span / step > 10) step *= 2;
    ctx.fillStyle = '#333'; ctx.strokeStyle = '#888'; ctx.lineWidth = 1;
    ctx.textBaseline = 'top';
    for (var d = Math.ceil(view.d0 / step) * step; d <= view.d1; d += step) {
      var x = dToX(d);
      ctx.beginPath(); ctx.moveTo(x, y); ctx.lineTo(x, y + 4); ctx.stroke();
      ctx.fillText(km(d), x - 14, y + 6);
    }
    ctx.textBaseline = 'middle';
  }

  // --- one redraw per frame ---------------------------------------------------------

  var pending = false;
  function redrawNow() {
    var t0 = performance.now();
    drawMap();
    var t1 = performance.now();
    drawProfiles();
    stats.mapMs = t1 - t0;
    stats.lastDrawMs = performance.now() - t0;
    updateReadout();
  }
  function requestDraw() {
    if (pending) return;
    pending = true;
    requestAnimationFrame(function () { pending = false; redrawNow(); });
  }

  var hashTimer = null;
  function changed() {
    requestDraw();
    clearTimeout(hashTimer);
    hashTimer = setTimeout(writeHash, 150);
  }

  // --- the view in the address's fragment ---------------------------------------

  var lastHash = '';
  function writeHash() {
    var h = '#map=' + [view.cx.toFixed(1), view.cy.toFixed(1), view.scale.toPrecision(6)].join(',') +
      '&d=' + Math.round(view.d0) + ',' + Math.round(view.d1);
    if (h === location.hash) return;
    lastHash = h;
    location.replace(h);  // no new history entry per step
  }

  function readHash() {
    var h = location.hash.replace(/^#/, '');
    var got = false;
    h.split('&').forEach(function (part) {
      var kv = part.split('='), nums = (kv[1] || '').split(',').map(Number);
      if (kv[0] === 'map' && nums.length === 3 && nums.every(isFinite) && nums[2] > 0) {
        view.cx = nums[0]; view.cy = nums[1]; view.scale = clamp(nums[2], MIN_SCALE, MAX_SCALE); got = true;
      }
      if (kv[0] === 'd' && nums.length === 2 && nums.every(isFinite) && nums[1] > nums[0]) {
        view.d0 = nums[0]; view.d1 = nums[1]; got = true;
      }
    });
    return got;
  }

  window.addEventListener('hashchange', function () {
    if (location.hash === lastHash) return;
    if (readHash()) requestDraw();
  });

  // --- pointer on the map ----------------------------------------------------------

  function zoomMapAt(factor, sx, sy) {
    var w = toWorld(sx, sy);
    view.scale = clamp(view.scale * factor, MIN_SCALE, MAX_SCALE);
    var s = mapSize();
    view.cx = w[0] - (sx - s.w / 2) / view.scale;
    view.cy = w[1] + (sy - s.h / 2) / view.scale;
    mapMoved();
  }

  // The metre of the track nearest to screen point (sx, sy), within `reach` px.
  function trackMetreAt(sx, sy, reach) {
    var best = null, bestD = reach;
    var level = levels[chooseLevel()];
    var w = toWorld(sx, sy), r = reach / view.scale;
    level.chunks.forEach(function (c) {
      if (c.box[2] < w[0] - r || c.box[0] > w[0] + r || c.box[3] < w[1] - r || c.box[1] > w[1] + r) return;
      var f = c.flat;
      for (var i = c.from; i < c.to; i++) {
        var ax = f[3 * i + 1], ay = f[3 * i + 2], bx = f[3 * i + 4], by = f[3 * i + 5];
        var dx = bx - ax, dy = by - ay, len2 = dx * dx + dy * dy;
        var t = len2 > 0 ? clamp(((w[0] - ax) * dx + (w[1] - ay) * dy) / len2, 0, 1) : 0;
        var px = ax + t * dx - w[0], py = ay + t * dy - w[1];
        var d = Math.sqrt(px * px + py * py) * view.scale;
        if (d < bestD) { bestD = d; best = f[3 * i] + t * (f[3 * i + 3] - f[3 * i]); }
      }
    });
    return best === null ? null : Math.round(best);
  }

  function symbolAt(sx, sy) {
    var best = null, bestD = 9;
    objects.forEach(function (o) {
      if (!o.at || o.sx === undefined) return;
      var q = toScreen(o.at.x, o.at.y), d = Math.hypot(q[0] - sx, q[1] - sy);
      if (d < bestD || (d === bestD && best && KINDS[o.kind].priority < KINDS[best.kind].priority)) { bestD = d; best = o; }
    });
    return best;
  }

  var drag = null;
  function local(e, c) { var r = c.getBoundingClientRect(); return [e.clientX - r.left, e.clientY - r.top]; }

  mapCanvas.addEventListener('pointerdown', function (e) {
    var p = local(e, mapCanvas);
    drag = { target: 'map', x: p[0], y: p[1], cx: view.cx, cy: view.cy, moved: false };
    mapCanvas.setPointerCapture(e.pointerId);
  });
  mapCanvas.addEventListener('pointermove', function (e) {
    var p = local(e, mapCanvas);
    if (drag && drag.target === 'map') {
      if (Math.abs(p[0] - drag.x) + Math.abs(p[1] - drag.y) > 3) drag.moved = true;
      if (drag.moved) {
        view.cx = drag.cx - (p[0] - drag.x) / view.scale;
        view.cy = drag.cy + (p[1] - drag.y) / view.scale;
        mapMoved();
      }
      return;
    }
    if (!hasPlan) return;
    var m = trackMetreAt(p[0], p[1], 12);
    if (m !== null) { cursor = m; requestDraw(); }
  });
  mapCanvas.addEventListener('pointerup', function (e) {
    var p = local(e, mapCanvas);
    var wasDrag = drag && drag.moved;
    drag = null;
    if (wasDrag || !hasPlan) return;
    var o = symbolAt(p[0], p[1]);
    if (o) { cursor = o.metre; showObject(o); requestDraw(); return; }
    var m = trackMetreAt(p[0], p[1], 8);
    if (m !== null) { cursor = m; showTrackPoint(m); requestDraw(); }
  });
  mapCanvas.addEventListener('wheel', function (e) {
    e.preventDefault();
    var p = local(e, mapCanvas);
    zoomMapAt(Math.pow(1.0015, -e.deltaY), p[0], p[1]);
  }, { passive: false });

  // --- pointer on the profiles ------------------------------------------------------

  function zoomProfilesAt(factor, x) {
    var d = xToD(x);
    var span = clamp((view.d1 - view.d0) / factor, 100, trackEnd * 4);
    var t = (x - LEFT) / plotWidth();
    view.d0 = d - t * span; view.d1 = view.d0 + span;
    profilesMoved();
  }

  profCanvas.addEventListener('pointerdown', function (e) {
    var p = local(e, profCanvas);
    drag = { target: 'profiles', x: p[0], d0: view.d0, d1: view.d1, moved: false };
    profCanvas.setPointerCapture(e.pointerId);
  });
  profCanvas.addEventListener('pointermove', function (e) {
    var p = local(e, profCanvas);
    if (drag && drag.target === 'profiles') {
      if (Math.abs(p[0] - drag.x) > 3) drag.moved = true;
      if (drag.moved) {
        var shift = (p[0] - drag.x) / plotWidth() * (drag.d1 - drag.d0);
        view.d0 = drag.d0 - shift; view.d1 = drag.d1 - shift;
        profilesMoved();
      }
      return;
    }
    if (p[0] < LEFT || p[0] > LEFT + plotWidth()) return;
    cursor = Math.round(xToD(p[0]));
    requestDraw();
  });
  profCanvas.addEventListener('pointerup', function (e) {
    var p = local(e, profCanvas);
    var wasDrag = drag && drag.moved;
    drag = null;
    if (wasDrag || p[0] < LEFT) return;
    var m = Math.round(xToD(p[0]));
    var cellsTop = bandTop[4];
    var c = stripCellAt(p[0]);
    cursor = m;
    if (p[1] >= cellsTop && p[1] <= cellsTop + BANDS[4].height && c) showCell(c);
    else showTrackPoint(m);
    requestDraw();
  });
  profCanvas.addEventListener('wheel', function (e) {
    e.preventDefault();
    zoomProfilesAt(Math.pow(1.0015, -e.deltaY), local(e, profCanvas)[0]);
  }, { passive: false });

  // --- the side panel ---------------------------------------------------------------

  var MEANING = {
    entry: 'header entry holding the record',
    position: 'metres from the start of the track',
    kind: 'kind byte',
    area_start: 'station area begins (m)',
    area_end: 'station area ends (m)',
    flag1: 'flag 1', flag2: 'flag 2', flag3: 'flag 3',
    set1: 'first value set', set2: 'second value set',
    extra: 'extra value',
    time_of_day: 'seconds since midnight',
    time: 'time of day',
    name: 'name as shown to the driver',
    cell: 'index of the 50 m cell',
    kind_name: 'what occupies the cell',
    values: 'value1 .. value4 as stored',
    signal_time: 'signal time byte',
    approach: 'approach mark byte',
    first_group: 'aspect digits of the first light group',
    second_group: 'aspect digits of the second light group',
    first_code: 'code of the first group',
    second_code: 'code of the second group',
    rapp: 'repetition value',
    speed_km_h: 'speed of the slowdown',
    d_v: 'speed step',
    f_tt: 'slowdown flag',
    count: 'countdown board number',
    station: 'header entry of the station',
    text: 'board text',
    value: 'marker value',
    first_side_km_h: 'speeds on the first side',
    second_side_km_h: 'speeds on the second side',
    first_side_stripes: 'stripes on the first side',
    second_side_stripes: 'stripes on the second side'
  };

  // What the panel shows, to show it again from a new scenario.
  var shown = null;

  function show(title, rows) {
    var box = document.getElementById('details');
    box.textContent = '';
    box.appendChild(el('h2', null, title));
    var table = el('table');
    rows.forEach(function (r) {
      var tr = el('tr');
      tr.appendChild(el('td', 'k', r[0]));
      var v = r[1];
      tr.appendChild(el('td', 'v', Array.isArray(v) ? v.join(', ') : String(v)));
      tr.appendChild(el('td', 'm', r[2] !== undefined ? r[2] : (MEANING[r[0]] || '')));
      table.appendChild(tr);
    });
    box.appendChild(table);
  }

  function recordRows(rec) {
    var rows = [];
    Object.keys(rec).forEach(function (k) {
      if (k === 'decoded') return;
      rows.push([k, rec[k]]);
      if (k === 'position') rows.push(['kilometre', km(rec[k]), 'position as km+m']);
    });
    Object.keys(rec.decoded || {}).forEach(function (k) { rows.push([k, rec.decoded[k]]); });
    return rows;
  }

  function showStation(s) {
    shown = { station: s.entry };
    var rows = recordRows(s);
    cells.forEach(function (c) {
      if (c.kind === 10 && c.decoded && c.decoded.station === s.entry) rows.push(['end cell', c.cell, 'station end marker in the track']);
    });
    show('Station ' + s.name, rows);
  }

  function showCell(c) {
    shown = { cell: c.cell };
    var title = 'Cell ' + c.cell + ': ' + c.kind_name;
    var rows = recordRows(c);
    if (c.kind === 10 && c.decoded) {
      stations.forEach(function (s) { if (s.entry === c.decoded.station) rows.push(['station name', s.name, 'from header entry ' + s.entry]); });
    }
    show(title, rows.concat(propertyRows(c.cell)));
  }

  function showObject(o) { if (o.station) showStation(o.station); else showCell(o.cell); }

  function runValue(runs, m) {
    var i = firstRun(runs || [], m);
    return runs && i < runs.length && runs[i].from <= m ? runs[i].value : '';
  }

  function propertyRows(cellIndex) {
    var m = cellIndex * CELL;
    return [
      ['speed limit', runValue(profiles.speed_limit, m), 'km/h in this cell'],
      ['gradient', runValue(profiles.gradient, m), 'gradient value in this cell'],
      ['adhesion', runValue(profiles.adhesion, m), 'adhesion in this cell'],
      ['scenery', runValue(profiles.scenery, m), 'scenery type (0 none)']
    ];
  }

  function showTrackPoint(m) {
    shown = { metre: m };
    var cell = Math.floor(m / CELL);
    var rows = [['metre', m, 'along the track'], ['kilometre', km(m), 'km+m']];
    var p = pointAt(m);
    if (p) { rows.push(['x', p.x.toFixed(2), 'plan, metres']); rows.push(['y', p.y.toFixed(2), 'plan, metres']); }
    rows.push(['cell', cell, 'index of the 50 m cell']);
    rows = rows.concat(propertyRows(cell));
    var c = cellByIndex.get(cell);
    if (c) rows.push(['occupant', c.kind_name + ' (cell ' + c.cell + ')', 'click the cell strip for its record']);
    show('Track at ' + km(m), rows);
  }

  // After a new scenario: the same station, cell or point, if it is still there.
  function showAgain() {
    var was = shown, s, c;
    if (!was) return;
    if (was.station !== undefined && (s = stations.find(function (t) { return t.entry === was.station; }))) showStation(s);
    else if (was.cell !== undefined && (c = cellByIndex.get(was.cell))) showCell(c);
    else if (was.metre !== undefined && was.metre <= trackEnd) showTrackPoint(was.metre);
    else {
      shown = null;
      var box = document.getElementById('details');
      box.textContent = '';
      box.appendChild(el('p', 'hint', 'What was shown here is no longer in the scenario.'));
    }
  }

  function showFaults() {
    var box = document.getElementById('faults');
    box.textContent = '';
    (sc.findings || []).forEach(function (f) {
      box.appendChild(el('div', 'fault', f.file + ': offset ' + f.offset + ': ' + f.message));
    });
    (sc.notes || []).forEach(function (n) { box.appendChild(el('div', 'note', 'note: ' + n)); });
    var note = document.getElementById('map-note');
    note.hidden = hasPlan;
    note.textContent = hasPlan ? '' :
      'The plan is missing: ' + ((sc.notes || []).join('; ') || 'the profile file holds no point') + '.';
  }

  function showLegend() {
    var box = document.getElementById('legend');
    box.textContent = '';
    Object.keys(KINDS).forEach(function (k) {
      var n = objects.filter(function (o) { return o.kind === k; }).length;
      var span = el('span');
      var swatch = el('i');
      swatch.style.background = KINDS[k].colour;
      span.appendChild(swatch);
      span.appendChild(document.createTextNode(KINDS[k].name + ' ' + n));
      box.appendChild(span);
    });
  }

  function updateReadout() {
    var r = document.getElementById('readout');
    r.textContent = (cursor !== null ? 'cursor ' + km(cursor) + '   ' : '') + 'shown ' + km(view.d0) + ' .. ' + km(view.d1);
  }

  // --- find and jump --------------------------------------------------------------

  function goTo(m) {
    m = clamp(m, 0, trackEnd);
    cursor = m;
    var span = Math.min(view.d1 - view.d0, 4000);
    view.d0 = m - span / 2; view.d1 = m + span / 2;
    var p = pointAt(m);
    if (p) {
      view.cx = p.x; view.cy = p.y;
      var s = mapSize();
      if (s.w / view.scale > 4000) view.scale = s.w / 2000;
      // The profiles follow what the map shows, centred on m.
      var r = visibleRange(m);
      if (r) { var half = Math.max(m - r[0], r[1] - m); view.d0 = m - half; view.d1 = m + half; }
    }
    changed();
  }

  // "34+890" or "34890": a position; otherwise a station or a board text.
  function find(text) {
    var t = text.trim();
    var kmMatch = /^(\d+)\s*\+\s*(\d{1,3})$/.exec(t);
    if (kmMatch) { goTo(Number(kmMatch[1]) * 1000 + Number(kmMatch[2])); return true; }
    if (/^\d+$/.test(t)) { goTo(Number(t)); return true; }
    var low = t.toLowerCase();
    if (!low) return false;
    var named = objects.filter(function (o) { return (o.kind === 'station' || o.kind === 'board') && o.label; });
    var hit = named.find(function (o) { return o.label.toLowerCase() === low; }) ||
      named.find(function (o) { return o.label.toLowerCase().indexOf(low) === 0; }) ||
      named.find(function (o) { return o.label.toLowerCase().indexOf(low) >= 0; });
    if (!hit) return false;
    goTo(hit.metre);
    showObject(hit);
    return true;
  }

  function stepStation(dir) {
    if (!stations.length) return;
    var here = cursor !== null ? cursor : (view.d0 + view.d1) / 2;
    var next = null;
    if (dir > 0) next = stations.find(function (s) { return s.position > here + 0.5; });
    else for (var i = stations.length - 1; i >= 0; i--) if (stations[i].position < here - 0.5) { next = stations[i]; break; }
    if (!next) return;
    goTo(next.position);
    showStation(next);
  }

  var findBox = document.getElementById('find');
  var list = document.getElementById('find-list');
  function fillFindList() {
    list.textContent = '';
    var seen = new Set();
    stations.map(function (s) { return s.name; }).concat(boards.map(function (b) { return b.text; })).forEach(function (n) {
      if (!n || seen.has(n)) return;
      seen.add(n);
      var opt = el('option');
      opt.value = n;
      list.appendChild(opt);
    });
  }
  findBox.addEventListener('keydown', function (e) {
    if (e.key === 'Enter') { findBox.classList.toggle('miss', !find(findBox.value)); e.preventDefault(); }
    if (e.key === 'Escape') findBox.blur();
  });
  findBox.addEventListener('change', function () { find(findBox.value); });

  function mapCentre() { var s = mapSize(); return [s.w / 2, s.h / 2]; }
  function zoomStep(f) {
    if (hasPlan) { var c = mapCentre(); zoomMapAt(f, c[0], c[1]); }
    else zoomProfilesAt(f, LEFT + plotWidth() / 2);
  }
  document.getElementById('zoom-in').addEventListener('click', function () { zoomStep(2); });
  document.getElementById('zoom-out').addEventListener('click', function () { zoomStep(0.5); });
  document.getElementById('fit').addEventListener('click', fitAll);
  document.getElementById('next-station').addEventListener('click', function () { stepStation(1); });
  document.getElementById('prev-station').addEventListener('click', function () { stepStation(-1); });

  document.addEventListener('keydown', function (e) {
    if (e.target === findBox || e.ctrlKey || e.metaKey || e.altKey) return;
    var k = e.key;
    if (k === '+' || k === '=') zoomStep(2);
    else if (k === '-' || k === '_') zoomStep(0.5);
    else if (k === '0') fitAll();
    else if (k === 'n') stepStation(1);
    else if (k === 'p') stepStation(-1);
    else if (k === '/') { findBox.focus(); e.preventDefault(); }
    else return;
    e.preventDefault();
  });

  window.addEventListener('resize', function () { sizes = null; requestDraw(); });

  // --- start ----------------------------------------------------------------------

  // Everything drawn from the data; `planLevels` null keeps the plan shown now.
  function take(d, planLevels) {
    takeScenario(d.scenario);
    if (planLevels) takePlan(planLevels);
    placeObjects();
    scaleBands();
    document.getElementById('title').textContent = d.title;
    showFaults();
    showLegend();
    fillFindList();
  }

  take(data, data.plan_levels || []);
  data = null;  // the parts hold what is needed
  if (!readHash()) {
    view.d0 = 0; view.d1 = trackEnd;
    if (hasPlan) fitBox(bounds, 30);
  }
  redrawNow();
  stats.firstDrawMs = performance.now();
  // The frame that shows the first drawing has been produced once a task
  // queued from its animation-frame callback runs.
  requestAnimationFrame(function () { setTimeout(function () { stats.firstPaintedMs = performance.now(); }, 0); });

  // For tests and the benchmark: the state, and steps that draw at once.
  window.sbView = {
    stats: stats,
    view: view,
    counts: function () {
      var c = {};
      Object.keys(KINDS).forEach(function (k) { c[k] = objects.filter(function (o) { return o.kind === k; }).length; });
      return c;
    },
    cursor: function () { return cursor; },
    pointAt: pointAt,
    toScreen: toScreen,
    km: km,
    redrawNow: redrawNow,
    zoomAtCentre: function (f) { var c = mapCentre(); zoomMapAt(f, c[0], c[1]); redrawNow(); },
    panBy: function (dx, dy) { view.cx += dx / view.scale; view.cy -= dy / view.scale; mapMoved(); redrawNow(); },
    fitAll: function () { fitAll(); redrawNow(); },
    levelCount: function () { return levels.length; },
    // A new scenario in place of the one shown, at the same view; the plan's
    // levels only when they changed.
    load: function (d, planLevels) {
      take(d, planLevels);
      showAgain();
      stats.loads = (stats.loads || 0) + 1;
      redrawNow();
    },
    stripTop: function () { return bandTop[4]; }
  };
})();
