// The page around the production: the start screen (the sound may only
// start from a click), the heads-up line with the song time and frame rate
// (the native window's title), and the page's own messages when WebGL is
// missing or the production stops.
//
// URL parameters: from=MS starts at that song time; replay=FILE plays a
// performance recorded with --record-input (a file beside the page) instead
// of the joystick; autostart=1 starts
// without the click (for tests, with a browser that lets sound start by
// itself). window.strobewerk.holdAt(ms) holds the clock at a song time and
// hides the heads-up line, so the canvas shows exactly the frame there.
(function () {
  'use strict';
  var params = new URLSearchParams(location.search);
  var startScreen = document.getElementById('start');
  var startText = document.getElementById('start-text');
  var hud = document.getElementById('hud');
  var message = document.getElementById('message');
  var ready = false;
  var started = false;

  function showMessage(text) {
    message.textContent = text;
    message.hidden = false;
    startScreen.hidden = true;
    hud.hidden = true;
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

  // The recorded performance named by replay=, fetched before the start.
  var recording = null;

  function start() {
    if (!ready || started)
      return;
    started = true;
    startScreen.hidden = true;
    hud.hidden = false;
    var args = [];
    if (params.has('from'))
      args.push('--from', params.get('from'));
    if (recording !== null) {
      Module.FS.writeFile('/replay-input.txt', recording);
      args.push('--replay-input', '/replay-input.txt');
    }
    document.getElementById('canvas').focus();
    Module.callMain(args);
  }

  function whenLoaded() {
    ready = true;
    startText.textContent = 'Click to start (with sound)';
    if (params.get('autostart') === '1')
      start();
  }

  window.Module = {
    canvas: document.getElementById('canvas'),
    print: function (text) { console.log(text); },
    // The runtime's own banners about its GL emulation are left out: the
    // console holds the production's lines.
    printErr: function (text) {
      if (!/^WARNING: using emscripten GL (immediate mode )?emulation/.test(text))
        console.log(text);
    },
    setStatus: function (text) {
      if (text && !ready)
        startText.textContent = text.replace(/\(.*\)/, '').trim() || 'Loading…';
    },
    onRuntimeInitialized: function () {
      if (!params.has('replay'))
        return whenLoaded();
      fetch(params.get('replay'))
        .then(function (response) {
          if (!response.ok)
            throw new Error(response.status + ' ' + response.statusText);
          return response.text();
        })
        .then(function (text) { recording = text; whenLoaded(); })
        .catch(function (e) { showMessage('The recording ' + params.get('replay') + ' could not be loaded: ' + e.message); });
    },
    onEnded: function (code) {
      showMessage(code === 0 ? 'The end. Reload the page to watch again.'
                             : 'The production could not go on (code ' + code + '); its console says why.');
    },
    onAbort: function (what) {
      showMessage('The production stopped: ' + what);
    }
  };
  startScreen.addEventListener('click', start);
  window.addEventListener('keydown', function (event) {
    if (!started && (event.key === 'Enter' || event.key === ' '))
      start();
  });

  // The native title, shown over the canvas.
  setInterval(function () {
    if (started && !hud.hidden)
      hud.textContent = document.title;
  }, 250);

  window.strobewerk = {
    get state() { return started ? 'playing' : ready ? 'ready' : 'loading'; },
    start: start,
    songTime: function () { return started ? Module._strobewerk_song_time() : -1; },
    frames: function () { return started ? Module._strobewerk_frames() : 0; },
    holdAt: function (ms) {
      Module._strobewerk_hold(ms);
      hud.hidden = ms >= 0;
    }
  };

  var script = document.createElement('script');
  script.src = 'strobewerk.js';
  script.onerror = function () { showMessage('strobewerk.js could not be loaded.'); };
  document.body.appendChild(script);
})();
