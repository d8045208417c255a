// The live page of `watch --serve`: the viewer page in a frame, the last
// compile's diagnostics above it. Each compile arrives as a Server-Sent
// Event; a compile that left a new scenario hands its data to the viewer,
// which draws it at the view the person has now, so the map neither
// reloads nor flickers.
(function () {
  'use strict';

  var frames = document.getElementById('live-frames');
  var shown = document.getElementById('live-view-0');
  var shownView = 0;  // the scenario the frame shows, counted by the good compiles; 0: none yet
  var shownPlan = -1;  // the plan it shows, by the number the server gives it; -1: unknown
  var incoming = null;  // the load under way: a frame, or true for a load in place
  var wanted = -1;
  var live = { outcome: null, shownView: -1, swaps: 0, lastSwapAt: 0, frame: function () { return shown; } };
  window.sbLive = live;

  function el(tag, cls, text) {
    var e = document.createElement(tag);
    if (cls) e.className = cls;
    if (text !== undefined) e.textContent = text;
    return e;
  }

  function plural(n, what) { return n + ' ' + what + (n === 1 ? '' : 's'); }

  function showOutcome(o) {
    var bar = document.getElementById('live-bar');
    var failed = o.errors > 0 || o.error_code !== 0 || !o.files_written || o.status > 1;
    bar.className = failed ? 'failed' : (o.warnings > 0 ? 'warned' : '');
    document.getElementById('live-status').textContent = o.time + '  error code ' + o.error_code + ', ' +
      plural(o.errors, 'error') + ', ' + plural(o.warnings, 'warning') + ', ' + o.ms + ' ms';
    document.getElementById('live-note').textContent = failed && shownView >= 0 ?
      'The map shows the last good compile.' : '';

    var box = document.getElementById('live-diagnostics');
    box.textContent = '';
    var errors = o.diagnostics.filter(function (d) { return d.severity === 'error'; });
    var warnings = o.diagnostics.filter(function (d) { return d.severity !== 'error'; });
    [[errors, 'errors', 'Errors'], [warnings, 'warnings', 'Warnings']].forEach(function (group) {
      if (!group[0].length) return;
      var section = el('section', group[1]);
      section.appendChild(el('h2', null, group[2]));
      group[0].forEach(function (d) { section.appendChild(diagnostic(d)); });
      box.appendChild(section);
    });
    // Failures that are no diagnostic (an unreadable file, no track) are printed text only.
    if (!o.diagnostics.length && o.printed && failed) box.appendChild(el('pre', 'printed', o.printed));
    box.hidden = !box.firstChild;
  }

  function diagnostic(d) {
    var item = el('div', 'diagnostic');
    var where = d.line > 0 ? d.file + ':' + d.line + ':' + d.column + ': ' : '';
    item.appendChild(el('span', 'where', where));
    item.appendChild(el('span', 'text', d.text));
    if (d.quoted) {
      var caret = '';
      for (var i = 1; i < d.column && i <= d.quoted.length; ++i) caret += d.quoted[i - 1] === '\t' ? '\t' : ' ';
      item.appendChild(el('pre', 'quote', d.quoted + '\n' + caret + '^'));
    }
    return item;
  }

  // The view of the frame shown now, as the viewer writes it in its address.
  function currentView() {
    try {
      var v = shown.contentWindow.sbView && shown.contentWindow.sbView.view;
      return v ? { cx: v.cx, cy: v.cy, scale: v.scale, d0: v.d0, d1: v.d1 } : null;
    } catch (e) {
      return null;
    }
  }

  function loadView(generation) {
    wanted = generation;
    if (incoming) return;  // the load under way is checked against `wanted` when it lands
    var viewer = null;
    try { viewer = shown.contentWindow.sbView; } catch (e) { viewer = null; }
    if (viewer && viewer.load) loadInPlace(viewer);
    else loadFrame();
  }

  function shownNow(version) {
    shownView = version.view;
    shownPlan = version.plan;
    live.shownView = shownView;
    live.swaps += 1;
    live.lastSwapAt = Date.now();
    if (live.outcome) showOutcome(live.outcome);
  }

  function afterLoad(version) {
    incoming = null;
    if (version) shownNow(version);
    if (version && wanted > shownView) loadView(wanted);
  }

  function fetchJson(path) {
    return fetch(path, { cache: 'no-store' }).then(function (r) {
      if (!r.ok) throw new Error(path + ': ' + r.status);
      return r.json();
    });
  }

  // The open viewer takes the new scenario and keeps its view; the plan's
  // levels come along only when they changed, since they are most of the data.
  function loadInPlace(viewer) {
    incoming = true;
    fetchJson('/data').then(function (d) {
      var plan = d.plan === shownPlan ? Promise.resolve(null) : fetchJson('/plan');
      return plan.then(function (p) {
        if (p && p.plan !== d.plan) return { view: -1, plan: shownPlan };  // a newer compile came between
        viewer.load(d.data, p ? p.levels : null);
        return { view: d.view, plan: d.plan };
      });
    }).then(function (version) {
      if (version.view < 0) { incoming = null; loadView(wanted); } else afterLoad(version);
    }, function () {
      afterLoad(null);
      setTimeout(function () { if (!incoming && wanted > shownView) loadView(wanted); }, 1000);
    });
  }

  // The first scenario (or one after a page without a viewer) comes as a
  // whole page, in a hidden frame at the view the person has now; the frames
  // change places once it has drawn. Its last node names its versions.
  function loadFrame() {
    var v = currentView();
    var frame = el('iframe', 'live-view incoming');
    frame.title = 'Scenario view';
    incoming = frame;
    frame.addEventListener('load', function () {
      var w = frame.contentWindow;
      if (v && w.sbView) {
        var view = w.sbView.view;
        view.cx = v.cx; view.cy = v.cy; view.scale = v.scale; view.d0 = v.d0; view.d1 = v.d1;
        w.sbView.redrawNow();
      }
      frame.classList.remove('incoming');
      frames.removeChild(shown);
      shown = frame;
      afterLoad(pageVersion(frame.contentDocument) || { view: wanted, plan: -1 });
    });
    var hash = v ? '#map=' + [v.cx.toFixed(1), v.cy.toFixed(1), v.scale.toPrecision(6)].join(',') +
      '&d=' + Math.round(v.d0) + ',' + Math.round(v.d1) : '';
    frame.src = '/view?v=' + wanted + hash;
    frames.appendChild(frame);
  }

  function pageVersion(doc) {
    var last = doc && doc.lastChild;
    var m = last && last.nodeType === Node.COMMENT_NODE && /^ view (\d+) plan (\d+) $/.exec(last.data);
    return m ? { view: Number(m[1]), plan: Number(m[2]) } : null;
  }

  function onCompile(o) {
    live.outcome = o;
    live.lastEventAt = Date.now();
    if (o.view > shownView) loadView(o.view);
    showOutcome(o);
  }

  var source = new EventSource('/events');
  source.addEventListener('compile', function (e) {
    var o = JSON.parse(e.data);
    if (o) onCompile(o);
  });
  source.addEventListener('error', function () {
    document.getElementById('live-note').textContent = 'Not connected to watch; retrying.';
  });
  source.addEventListener('open', function () {
    document.getElementById('live-note').textContent = '';
  });
})();
