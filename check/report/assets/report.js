// The report's compare views, and the zoom with pixel coordinates and byte
// values. Without script the page still shows everything but these views.
(function () {
  "use strict";
  // How an unchanged pixel is drawn: the reference's Rec. 601 brightness
  // (weights for red, green and blue, per mille) halfway to white from a
  // base; the numbers come from the program that drew the pictures.
  var fade = window.maeFadedGrey;
  // Pictures a class's pages share come from the shared folder's scripts.
  function el(tag, attrs, text) {
    var e = document.createElement(tag);
    for (var k in attrs) { e.setAttribute(k, attrs[k]); }
    if (text) { e.textContent = text; }
    return e;
  }
  function pixels(img) {
    var c = document.createElement("canvas");
    c.width = img.naturalWidth; c.height = img.naturalHeight;
    var g = c.getContext("2d");
    g.drawImage(img, 0, 0);
    return g.getImageData(0, 0, c.width, c.height);
  }
  var dialog = el("dialog", {"class": "zoom", "aria-label": "Zoomed picture"});
  var title = el("p", {}, "");
  var bar = el("div", {});
  var view = el("div", {"class": "view"});
  var canvas = el("canvas", {});
  var where = el("p", {"class": "where", "aria-live": "polite"}, "");
  var close = el("button", {"type": "button"}, "Close");
  view.appendChild(canvas);
  dialog.append(title, bar, view, where, close);
  document.body.appendChild(dialog);
  close.addEventListener("click", function () { dialog.close(); });
  var current = null, factor = 4;
  [1, 2, 4, 8].forEach(function (f) {
    var b = el("button", {"type": "button"}, f + "\u00d7");
    b.addEventListener("click", function () { factor = f; draw(); });
    bar.appendChild(b);
  });
  function draw() {
    var img = current.img;
    canvas.width = img.naturalWidth * factor;
    canvas.height = img.naturalHeight * factor;
    var g = canvas.getContext("2d");
    g.imageSmoothingEnabled = false;
    g.drawImage(img, 0, 0, canvas.width, canvas.height);
  }
  function value(data, x, y) {
    if (!data || x < 0 || y < 0 || x >= data.width || y >= data.height) { return "-"; }
    var i = (y * data.width + x) * 4;
    return "R " + data.data[i] + " G " + data.data[i + 1] + " B " + data.data[i + 2];
  }
  canvas.addEventListener("mousemove", function (ev) {
    var c = current, r = canvas.getBoundingClientRect();
    var px = Math.floor((ev.clientX - r.left) / factor);
    var py = Math.floor((ev.clientY - r.top) / factor);
    // The pictures of a case share their lower-left corner and are drawn
    // with one step; the place is the full-size picture's, top-left (0, 0).
    var text = "(" + (px * c.step + c.x0) + ", " + (py * c.step + c.y0) + ")";
    if (c.out) {
      var oy = py + c.outShift - c.shift, ry = py + c.refShift - c.shift;
      text += "  output " + value(c.out, px, oy) + "  reference " + value(c.ref, px, ry);
    }
    where.textContent = text;
  });
  function open(img) {
    var sec = img.closest("section.case");
    var d = sec.dataset;
    var role = img.dataset.role;
    var crop = role.indexOf("crop") === 0;
    var out = sec.querySelector("img[data-role=" + (crop ? "crop-output" : "output") + "]");
    var ref = sec.querySelector("img[data-role=" + (crop ? "crop-reference" : "reference") + "]");
    var step = crop ? 1 : Number(d.step || 1);
    var commonH = crop ? img.naturalHeight : Math.ceil(Number(d.commonH || 0) / step);
    var outH = out ? out.naturalHeight : 0, refH = ref ? ref.naturalHeight : 0;
    current = {
      img: img, step: step,
      x0: crop ? Number(d.cropX || 0) : 0, y0: crop ? Number(d.cropY || 0) : 0,
      out: out ? pixels(out) : null, ref: ref ? pixels(ref) : null,
      outShift: crop ? 0 : outH - commonH, refShift: crop ? 0 : refH - commonH,
      shift: role === "output" ? outH - commonH : (role === "reference" ? refH - commonH : 0)
    };
    title.textContent = sec.querySelector("h2").firstChild.textContent + "\u2014 " + img.alt +
        (step > 1 ? " (drawn 1 pixel in " + step + "; the crops hold every pixel)" : "");
    factor = img.naturalWidth > 1200 ? 1 : 4;
    draw();
    where.textContent = "Point at a pixel to see its place and both pictures' values there.";
    dialog.showModal();
  }
  // F flips the case in view: the one with focus, or else the compared
  // case nearest the middle of the window.
  document.addEventListener("keydown", function (ev) {
    if ((ev.key !== "f" && ev.key !== "F") || ev.ctrlKey || ev.metaKey || ev.altKey ||
        dialog.open || /^(INPUT|TEXTAREA|SELECT|BUTTON)$/.test(ev.target.tagName)) { return; }
    var sec = ev.target.closest ? ev.target.closest("section.case[data-compare]") : null;
    if (!sec) {
      var middle = window.innerHeight / 2, best = Infinity;
      document.querySelectorAll("section.case[data-compare]").forEach(function (s) {
        var r = s.getBoundingClientRect();
        var d = r.top > middle ? r.top - middle : (r.bottom < middle ? middle - r.bottom : 0);
        if (d < best) { best = d; sec = s; }
      });
    }
    var button = sec && document.getElementById(sec.id + "-flip");
    if (button) { ev.preventDefault(); button.click(); }
  });
  // What a page holds: set up once at load, and again by a page that adds
  // a report's cases later (window.maeReportStart).
  function start(root) {
    var shared = window.maeShared || {};
    root.querySelectorAll("img[data-shared]").forEach(function (img) {
      if (shared[img.dataset.shared]) { img.src = shared[img.dataset.shared]; }
    });
    root.querySelectorAll("section.case img[data-role]").forEach(function (img) {
      img.tabIndex = 0;
      img.addEventListener("click", function () { open(img); });
      img.addEventListener("keydown", function (ev) {
        if (ev.key === "Enter" || ev.key === " ") { ev.preventDefault(); open(img); }
      });
    });
    // Flip, slide and blend: the output and the reference in one place.
    root.querySelectorAll("section.case[data-compare]").forEach(function (sec) {
      var out = sec.querySelector("img[data-role=output]");
      var ref = sec.querySelector("img[data-role=reference]");
      var id = sec.id;
      var box = el("div", {"class": "compare"});
      var fs = el("fieldset", {});
      fs.appendChild(el("legend", {}, "Compare the output with the reference in one place"));
      var stack = el("div", {"class": "stack"});
      var under = el("img", {"alt": "output", "width": out.getAttribute("width"),
                             "height": out.getAttribute("height")});
      var over = el("img", {"alt": "reference", "class": "top", "width": ref.getAttribute("width"),
                            "height": ref.getAttribute("height")});
      under.src = out.src;  // the same data, not a second copy in the file
      over.src = ref.src;
      // In the slide view the output is left of the divider.
      var left = el("span", {"class": "side left"}, "output");
      var right = el("span", {"class": "side right"}, "reference");
      stack.append(under, over, left, right);
      var mode = "flip", flipped = false;
      var flip = el("button", {"type": "button", "id": id + "-flip"}, "Show the reference (F)");
      var slide = el("input", {"type": "range", "min": "0", "max": "100", "value": "50", "id": id + "-slide"});
      var blend = el("input", {"type": "range", "min": "0", "max": "100", "value": "50", "id": id + "-blend"});
      function show() {
        over.style.opacity = 1;
        over.style.clipPath = "none";
        if (mode === "flip") { over.style.opacity = flipped ? 1 : 0; }
        if (mode === "slide") { over.style.clipPath = "inset(0 0 0 " + slide.value + "%)"; }
        if (mode === "blend") { over.style.opacity = blend.value / 100; }
        flip.textContent = flipped ? "Show the output (F)" : "Show the reference (F)";
        left.hidden = right.hidden = mode !== "slide";
      }
      function choose(m) {
        mode = m;
        fs.querySelector("input[value=" + m + "]").checked = true;
        show();
      }
      ["flip", "slide", "blend"].forEach(function (m) {
        var label = el("label", {});
        var radio = el("input", {"type": "radio", "name": id + "-mode", "value": m});
        radio.checked = m === mode;
        radio.addEventListener("change", function () { choose(m); });
        label.append(radio, " " + m[0].toUpperCase() + m.slice(1));
        fs.appendChild(label);
      });
      flip.addEventListener("click", function () { flipped = !flipped; choose("flip"); });
      slide.addEventListener("input", function () { choose("slide"); });
      blend.addEventListener("input", function () { choose("blend"); });
      fs.append(flip, el("label", {"for": id + "-slide"}, "Divider"), slide,
                el("label", {"for": id + "-blend"}, "Reference opacity"), blend);
      box.append(fs, stack);
      sec.appendChild(box);
      show();
    });
    // The difference scale, "R,G,B" to the largest difference it shows.
    var legend = root.querySelector(".legend[data-scale]");
    var scale = {};
    if (legend) {
      legend.dataset.scale.split(" ").forEach(function (entry) {
        var parts = entry.split(":");
        scale[parts[0]] = Number(parts[1]);
      });
      // The marks on or off, on every picture at once.
      var marks = el("input", {"type": "checkbox", "id": "marks-switch"});
      marks.checked = true;
      marks.addEventListener("change", function () {
        document.body.classList.toggle("marks-off", !marks.checked);
      });
      var marksLabel = el("label", {"for": "marks-switch"}, " red marks");
      var span = el("span", {});
      span.append(marks, marksLabel);
      legend.appendChild(span);
    }
    // Hide differences of at most N: such pixels drawn as the reference's
    // faded grey, as equal ones are; the difference picture redrawn.
    root.querySelectorAll("section.case img[data-role=difference]").forEach(function (img) {
      var sec = img.closest("section.case"), id = sec.id + "-hide";
      var ref = sec.querySelector("img[data-role=reference]");
      var original = img.src, data = null, refData = null;
      var slider = el("input", {"type": "range", "min": "0", "max": "255", "value": "0", "id": id});
      var said = el("output", {"for": id}, "0");
      var row = el("div", {"class": "hide"});
      row.append(el("label", {"for": id}, "Hide differences of at most "), said, " ", slider);
      img.closest("figure").appendChild(row);
      slider.addEventListener("input", function () {
        var n = Number(slider.value);
        said.textContent = String(n);
        if (n === 0) { img.src = original; return; }
        if (!data) {  // the first time, the picture is still the original
          data = pixels(img);
          refData = ref ? pixels(ref) : null;
        }
        var c = document.createElement("canvas");
        c.width = data.width; c.height = data.height;
        var g = c.getContext("2d");
        var drawn = g.createImageData(data.width, data.height);
        drawn.data.set(data.data);
        var shift = refData ? refData.height - data.height : 0;
        for (var i = 0; i < drawn.data.length; i += 4) {
          var d = drawn.data;
          var top = scale[d[i] + "," + d[i + 1] + "," + d[i + 2]];
          if (top === undefined || top > n) { continue; }
          var grey = 230;
          if (refData) {
            var x = (i / 4) % data.width, y = Math.floor(i / 4 / data.width) + shift;
            var j = (y * refData.width + x) * 4;
            if (x < refData.width && y >= 0 && y < refData.height) {
              var r = refData.data;
              grey = fade[3] + (Math.floor((fade[0] * r[j] + fade[1] * r[j + 1] +
                  fade[2] * r[j + 2] + 500) / 1000) >> 1);
            }
          }
          d[i] = d[i + 1] = d[i + 2] = grey;
        }
        g.putImageData(drawn, 0, 0);
        img.src = c.toDataURL();
      });
    });
  }
  window.maeReportStart = start;
  start(document);
})();
