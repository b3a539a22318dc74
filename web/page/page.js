// The page around the production: the download with its progress, the
// start screen (the sound may only start from a click), the heads-up line
// with the song time and frame rate (the native window's title), full
// screen, muting, and the page's own messages when WebGL is missing, a
// file does not load, a link asks for something it cannot do or the
// production stops.
//
// URL parameters: from=MS (or m:ss) starts at that song time (before the
// start is the start, past the end is the end); replay=FILE plays a
// performance recorded with --record-input (a file beside the page)
// instead of the joystick; autostart=1 starts without the click (for
// tests, with a browser that lets sound start by itself). Anything else
// is named on the start screen as ignored.
//
// window.strobewerk.holdAt(ms) holds the clock at a song time (one past
// the song holds at its end; a negative one lets it run on; anything not a
// number changes nothing) and hides the heads-up line and the full-screen
// button, so the canvas shows exactly the frame there.
(function () {
  'use strict';
  var params = new URLSearchParams(location.search);
  var root = document.documentElement;
  var canvas = document.getElementById('canvas');
  var startScreen = document.getElementById('start');
  var startText = document.getElementById('start-text');
  var progressBar = document.getElementById('progress-bar');
  var notes = document.getElementById('notes');
  var hud = document.getElementById('hud');
  var message = document.getElementById('message');
  var fullscreenButton = document.getElementById('fullscreen');
  var ready = false;
  var started = false;
  var ended = false;

  function showMessage(text) {
    ended = true;
    message.textContent = text;
    message.hidden = false;
    startScreen.hidden = true;
    hud.hidden = true;
    fullscreenButton.hidden = true;
  }

  // A line on the start screen about the link, above the keys.
  function note(text) {
    var line = document.createElement('p');
    line.textContent = text;
    notes.appendChild(line);
  }

  function hasWebGL() {
    try {
      var probe = document.createElement('canvas');
      return !!(window.WebGLRenderingContext && probe.getContext('webgl'));
    } catch (e) {
      return false;
    }
  }

  if (!hasWebGL()) {
    showMessage('This production needs WebGL, which this browser does not offer (it may be switched off, ' +
                'or the graphics driver may be blocked). Try another browser, or turn on hardware acceleration.');
    window.strobewerk = { state: 'no-webgl' };
    return;
  }

  // --- The link -----------------------------------------------------------

  var known = ['from', 'replay', 'autostart'];
  params.forEach(function (value, name) {
    if (known.indexOf(name) < 0)
      note('The link\u2019s \u201c' + name + '\u201d is not something this page knows (it takes from, replay): ' +
           'it is left out.');
  });

  // The start time of from=: milliseconds or m:ss(.mmm), as the native
  // program's --from; before the start is the start, and a time past the
  // end is the end (the production stops there, as live play's seek does).
  var from = null;
  if (params.has('from')) {
    var text = params.get('from').trim();
    var clock = /^(\d+):([0-5]\d)(?:\.(\d{1,3}))?$/.exec(text);
    var ms = /^[-+]?\d+(\.\d*)?$/.test(text) ? Math.floor(Number(text))
           : clock ? (Number(clock[1]) * 60 + Number(clock[2])) * 1000 + Number((clock[3] || '').padEnd(3, '0'))
           : NaN;
    if (isNaN(ms))
      note('\u201cfrom=' + text + '\u201d is not a song time (milliseconds, or minutes:seconds as 1:30): ' +
           'it plays from the start.');
    else
      from = Math.min(Math.max(ms, 0), 2147483647);
  }

  // The recording named by replay=, fetched before the start.
  var replayName = params.has('replay') ? params.get('replay').trim() : null;
  var recording = null;

  // --- The download -------------------------------------------------------

  var files = ['strobewerk.js', 'strobewerk.wasm', 'strobewerk.data'];
  var received = {};
  var expected = {};

  // In the unit a file listing gives (2^20 bytes).
  function megabytes(bytes) {
    return (bytes / 1048576).toFixed(1);
  }

  function showProgress() {
    var loaded = 0;
    var total = 0;
    var totalKnown = true;
    files.forEach(function (name) {
      loaded += received[name] || 0;
      totalKnown = totalKnown && expected[name] > 0;
      total += expected[name] || 0;
    });
    if (totalKnown) {
      progressBar.style.width = Math.min(100, 100 * loaded / total).toFixed(1) + '%';
      startText.textContent = 'Loading\u2026 ' + megabytes(loaded) + ' of ' + megabytes(total) + ' MB';
    } else {
      startText.textContent = 'Loading\u2026 ' + megabytes(loaded) + ' MB';
    }
  }

  function loadFailure(name, why) {
    var failure = new Error(name + ' could not be loaded (' + why + '). Check the connection and reload the page.');
    failure.loadFailure = true;
    return failure;
  }

  // One file of the page, whole, counting its bytes as they come.
  function download(name) {
    return fetch(name).catch(function () {
      throw loadFailure(name, 'the server did not answer');
    }).then(function (response) {
      if (!response.ok)
        throw loadFailure(name, (response.status + ' ' + response.statusText).trim());
      // A compressed transfer's length is not the length of what is read.
      var length = Number(response.headers.get('content-length'));
      expected[name] = response.headers.get('content-encoding') ? 0 : length;
      received[name] = 0;
      if (!response.body || !response.body.getReader)
        return response.arrayBuffer();
      var reader = response.body.getReader();
      var chunks = [];
      function more() {
        return reader.read().then(function (part) {
          if (part.done)
            return new Blob(chunks).arrayBuffer();
          chunks.push(part.value);
          received[name] += part.value.byteLength;
          showProgress();
          return more();
        });
      }
      return more().catch(function (e) {
        throw e.loadFailure ? e : loadFailure(name, 'the download broke off');
      });
    });
  }

  function fetchRecording() {
    if (replayName === null)
      return Promise.resolve();
    if (replayName === '')
      return Promise.reject(new Error('The link\u2019s replay= names no file: give the name of a recording ' +
                                      'beside the page (replay=take.txt).'));
    return fetch(replayName).catch(function () {
      return { ok: false, status: 0, statusText: 'the server did not answer' };
    }).then(function (response) {
      if (!response.ok)
        throw new Error('The recording \u201c' + replayName + '\u201d could not be loaded (' +
                        (response.status ? response.status + ' ' : '') + response.statusText + ').');
      return response.text();
    }).then(function (text) { recording = text; });
  }

  // --- Starting and ending ------------------------------------------------

  // What the production said last: the reason when it could not start.
  var lastLine = '';
  var recordingPath = '/replay/recording.txt';

  function start() {
    if (!ready || started || ended)
      return;
    started = true;
    startScreen.hidden = true;
    hud.hidden = false;
    var args = [];
    if (from !== null)
      args.push('--from', String(from));
    if (recording !== null) {
      Module.FS.mkdir('/replay');
      Module.FS.writeFile(recordingPath, recording);
      args.push('--replay-input', recordingPath);
    }
    canvas.focus();
    Module.callMain(args);
    setMuted(muted);
  }

  function whenLoaded() {
    ready = true;
    progressBar.style.width = '100%';
    startText.textContent = 'Click to start (with sound)';
    if (params.get('autostart') === '1')
      start();
  }

  // The reason the production gave for stopping, in the page's words
  // where it is the recording's.
  function reason() {
    var prefix = 'strobewerk: cannot replay ' + recordingPath + ': ';
    if (lastLine.indexOf(prefix) === 0)
      return 'The recording \u201c' + replayName + '\u201d cannot be played: ' + lastLine.slice(prefix.length) + '.';
    return 'The production could not go on' + (lastLine ? ': ' + lastLine : '.');
  }

  window.Module = {
    canvas: canvas,
    locateFile: function (name) { return name; },
    print: function (text) { lastLine = text; console.log(text); },
    // The runtime's own banners about its GL emulation are left out: the
    // console holds the production's lines.
    printErr: function (text) {
      if (!/^WARNING: using emscripten GL (immediate mode )?emulation/.test(text)) {
        lastLine = text;
        console.log(text);
      }
    },
    onRuntimeInitialized: function () {
      fetchRecording().then(whenLoaded, function (e) { showMessage(e.message); });
    },
    onEnded: function (code) {
      showMessage(code === 0 ? 'The end. Reload the page to watch again.' : reason());
    },
    onAbort: function (what) {
      showMessage('The production stopped: ' + what);
    }
  };

  Promise.all(files.map(download)).then(function (bodies) {
    Module.wasmBinary = bodies[1];
    Module.getPreloadedPackage = function (name) {
      return /strobewerk\.data$/.test(name) ? bodies[2] : null;
    };
    var script = document.createElement('script');
    script.src = URL.createObjectURL(new Blob([bodies[0]], { type: 'text/javascript' }));
    document.body.appendChild(script);
  }).catch(function (e) {
    showMessage(e.loadFailure ? e.message : 'The page could not be loaded: ' + e.message);
  });

  startScreen.addEventListener('click', start);

  // --- Full screen --------------------------------------------------------

  function fullscreenElement() {
    return document.fullscreenElement || document.webkitFullscreenElement || null;
  }

  var requestFullscreen = root.requestFullscreen || root.webkitRequestFullscreen;
  var exitFullscreen = document.exitFullscreen || document.webkitExitFullscreen;
  if (!requestFullscreen || document.fullscreenEnabled === false)
    fullscreenButton.hidden = true;

  function toggleFullscreen() {
    if (!requestFullscreen)
      return;
    var asked = fullscreenElement() ? exitFullscreen.call(document) : requestFullscreen.call(root);
    if (asked && asked.catch)
      asked.catch(function (e) { console.log('full screen: ' + e.message); });
  }

  // Escape leaves full screen before it ends the production. A browser may
  // leave full screen itself and still hand the page the key: an Escape
  // right after leaving is that one.
  var leftFullscreenAt = -Infinity;
  function noteFullscreenChange() {
    if (!fullscreenElement())
      leftFullscreenAt = performance.now();
  }
  document.addEventListener('fullscreenchange', noteFullscreenChange);
  document.addEventListener('webkitfullscreenchange', noteFullscreenChange);

  fullscreenButton.addEventListener('click', function (event) {
    event.stopPropagation();
    toggleFullscreen();
    fullscreenButton.blur();
  });
  canvas.addEventListener('dblclick', toggleFullscreen);

  // --- Sound --------------------------------------------------------------

  // Muting puts a gain between the production's sound and the speakers:
  // the sound goes on (the pictures follow it), unheard.
  var muted = false;
  var gain = null;

  function outputGain() {
    var context = window.SDL && window.SDL.audioContext;
    if (!context)
      return null;
    if (!gain) {
      gain = context.createGain();
      gain.connect(context.destination);
      Object.defineProperty(context, 'destination', { value: gain, configurable: true });
    }
    return gain;
  }

  function setMuted(on) {
    muted = on;
    var node = outputGain();
    if (node)
      node.gain.value = muted ? 0 : 1;
    updateHud();
  }

  // --- Keys ---------------------------------------------------------------

  // Ahead of the production's own keys (which it takes from the document).
  window.addEventListener('keydown', function (event) {
    if (event.key === 'Escape' && (fullscreenElement() || performance.now() - leftFullscreenAt < 500)) {
      event.preventDefault();
      event.stopImmediatePropagation();
      if (fullscreenElement())
        toggleFullscreen();
      return;
    }
    if (event.ctrlKey || event.altKey || event.metaKey || event.repeat)
      return;
    if (event.key === 'f' || event.key === 'F')
      toggleFullscreen();
    else if ((event.key === 'm' || event.key === 'M') && started)
      setMuted(!muted);
    else if (!started && (event.key === 'Enter' || event.key === ' '))
      start();
  }, true);

  // --- The heads-up line --------------------------------------------------

  // The native title, shown over the canvas.
  function updateHud() {
    if (started && !hud.hidden)
      hud.textContent = document.title + (muted ? ' | muted' : '');
  }
  setInterval(updateHud, 250);

  window.strobewerk = {
    get state() { return ended ? 'ended' : started ? 'playing' : ready ? 'ready' : 'loading'; },
    start: start,
    songTime: function () { return started && !ended ? Module._strobewerk_song_time() : -1; },
    frames: function () { return started ? Module._strobewerk_frames() : 0; },
    muted: function () { return muted; },
    // Returns the song time held at, -1 when it runs on, null when nothing
    // changed (not started, or not a number).
    holdAt: function (ms) {
      var value = typeof ms === 'number' ? ms : typeof ms === 'string' && ms.trim() !== '' ? Number(ms) : NaN;
      if (!started || ended || isNaN(value))
        return null;
      var held = Module._strobewerk_hold(value < 0 ? -1 : Math.min(Math.floor(value), 2147483647));
      document.body.classList.toggle('still', held >= 0);
      return held;
    }
  };
})();
