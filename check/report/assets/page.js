// The web page's own script: gives the files a student drops or picks to
// mae-check's core (the command line itself, compiled to WebAssembly, in
// the script before this one), then shows the cases' table and the
// report's views of each. Everything stays in the page: no file is sent,
// nothing is stored.
(function () {
  "use strict";
  var page = JSON.parse(document.getElementById("mae-page").textContent);
  var lines = [], problems = [];
  var ready = window.createMaeCheck({
    print: function (text) { lines.push(text); },
    printErr: function (text) { problems.push(text); }
  }).then(function (core) {
    // The exercise and its input pictures, written once; the references
    // are written again for every check, as the student's files may hold
    // an ANS folder of their own.
    makeFolders(core.FS, "/page/inputs/x");
    if (page.exercise !== null) { core.FS.writeFile("/page/exercise.toml", page.exercise); }
    Object.keys(page.inputs).forEach(function (name) {
      makeFolders(core.FS, "/page/inputs/" + name);
      core.FS.writeFile("/page/inputs/" + name, bytesOf(page.inputs[name]));
    });
    return core;
  });

  function bytesOf(base64) {
    var text = atob(base64), bytes = new Uint8Array(text.length);
    for (var i = 0; i < text.length; ++i) { bytes[i] = text.charCodeAt(i); }
    return bytes;
  }
  function makeFolders(FS, path) {
    var parts = path.split("/"), at = "";
    for (var i = 1; i < parts.length - 1; ++i) {
      at += "/" + parts[i];
      if (!FS.analyzePath(at).exists) { FS.mkdir(at); }
    }
  }
  function remove(FS, path) {
    if (!FS.analyzePath(path).exists) { return; }
    if (FS.isDir(FS.stat(path).mode)) {
      FS.readdir(path).forEach(function (name) {
        if (name !== "." && name !== "..") { remove(FS, path + "/" + name); }
      });
      FS.rmdir(path);
    } else {
      FS.unlink(path);
    }
  }
  // A given name as a path inside the folder checked: "a/b.bmp"; null for
  // a name that would lead out of it.
  function inside(name) {
    var parts = String(name).split("/").filter(function (p) { return p !== ""; });
    var bad = parts.some(function (p) { return p === "." || p === ".."; });
    return bad || parts.length === 0 ? null : parts.join("/");
  }
  // The arguments of a check, with the exercise left without the cases
  // whose reference nobody gave: each is said instead of failing the whole
  // check. null when no case is left.
  function exerciseFor(FS) {
    var missing = page.cases.filter(function (c) {
      return !FS.analyzePath("/work/ANS/" + c.reference).exists;
    });
    if (page.exercise === null || missing.length === 0) { return {args: page.args, missing: missing}; }
    var names = missing.map(function (c) { return c.name; });
    var blocks = page.exercise.split("\n[[case]]\n");
    var kept = blocks.filter(function (block, i) {
      var name = i === 0 ? null : /^name = '([^']*)'/.exec(block);
      return i === 0 || !name || names.indexOf(name[1]) < 0;
    });
    if (kept.length === 1) { return null; }
    FS.writeFile("/page/checked.toml", kept.join("\n[[case]]\n"));
    var args = page.args.map(function (a) {
      return a === "/page/exercise.toml" ? "/page/checked.toml" : a;
    });
    return {args: args, missing: missing};
  }
  // Runs mae-check on `files` ({name, bytes}) as on a folder holding them,
  // the page's references in its ANS folder.
  function run(core, files, report) {
    var FS = core.FS;
    FS.chdir("/");
    remove(FS, "/work");
    remove(FS, "/page/report.html");
    FS.mkdir("/work");
    files.forEach(function (f) {
      var name = inside(f.name);
      if (name !== null) {
        makeFolders(FS, "/work/" + name);
        FS.writeFile("/work/" + name, f.bytes);
      }
    });
    // The references embedded in the page win over the student's own.
    Object.keys(page.references).forEach(function (name) {
      makeFolders(FS, "/work/ANS/" + name);
      FS.writeFile("/work/ANS/" + name, bytesOf(page.references[name]));
    });
    var exercise = exerciseFor(FS);
    if (exercise === null) {
      return {status: 2, json: null, report: null, missing: page.cases, problems: []};
    }
    FS.chdir("/work");
    lines = [];
    problems = [];
    var args = exercise.args.concat(["--json"],
                                report ? ["--report", "/page/report.html"] : [], ["."]);
    var status = core.callMain(args);
    // The pictures decoded from PNG files, which the core leaves in /tmp.
    FS.readdir("/tmp").forEach(function (name) {
      if (name.indexOf("mae-check-") === 0) { FS.unlink("/tmp/" + name); }
    });
    var json = null;
    try { json = JSON.parse(lines.join("\n")); } catch (e) { json = null; }
    var html = report && FS.analyzePath("/page/report.html").exists
        ? FS.readFile("/page/report.html", {encoding: "utf8"}) : null;
    return {status: status, json: json, report: html, missing: exercise.missing,
            problems: problems.slice()};
  }

  // For tests and scripts: the object `mae-check --json` prints for a
  // folder holding `files`, a list of {name, bytes} (bytes a Uint8Array).
  window.maeCheck = function (files) {
    return ready.then(function (core) { return run(core, files, false).json; });
  };

  var results = document.getElementById("results");
  var status = document.getElementById("status");
  function el(tag, attrs, text) {
    var e = document.createElement(tag);
    Object.keys(attrs).forEach(function (k) { e.setAttribute(k, attrs[k]); });
    if (text !== undefined) { e.textContent = text; }
    return e;
  }
  // The table: a row a case, with its verdict, figures and every word said
  // of it (reason, diagnoses, note).
  function table(json) {
    var t = el("table", {"class": "overview"});
    t.appendChild(el("caption", {}, json.passed + " of " + json.cases.length + " cases pass"));
    var metrics = ["rmse", "psnr", "ssim"].filter(function (k) {
      return json.cases.some(function (c) { return k in c; });
    });
    var head = el("tr", {});
    var heads = {rmse: "RMSE", psnr: "PSNR dB", ssim: "SSIM"};
    ["case", "verdict", "MAE"].concat(metrics.map(function (k) { return heads[k]; }),
                                      ["largest difference", "what it says"])
        .forEach(function (h) { head.appendChild(el("th", {"scope": "col"}, h)); });
    t.appendChild(head);
    json.cases.forEach(function (c) {
      var row = el("tr", {"class": c.verdict});
      row.appendChild(el("th", {"scope": "row"}, c.name));
      row.appendChild(el("td", {}, c.verdict));
      var number = function (v) { return v === null || v === undefined ? "-" : String(+v.toPrecision(6)); };
      row.appendChild(el("td", {"class": "n"}, number(c.mae)));
      metrics.forEach(function (k) {
        // Identical pictures have no PSNR in JSON (null); the table says inf.
        var text = k === "psnr" && c.psnr === null && c.mae === 0 ? "inf" : number(c[k]);
        row.appendChild(el("td", {"class": "n"}, text));
      });
      row.appendChild(el("td", {"class": "n"}, number(c.max_difference)));
      var words = [c.reason].concat(c.diagnosis.map(function (d) { return d.text; }), [c.note])
          .filter(function (w) { return w; });
      row.appendChild(el("td", {}, words.join("; ")));
      t.appendChild(row);
    });
    return t;
  }
  function show(outcome) {
    results.textContent = "";
    outcome.missing.forEach(function (c) {
      results.appendChild(el("p", {"class": "missing"}, c.name + " is not checked: this page " +
          "holds no reference for it; give ANS/" + c.reference + " with your files."));
    });
    if (!outcome.json) {
      results.appendChild(el("pre", {}, outcome.problems.join("\n") || "Nothing could be checked."));
      return;
    }
    results.appendChild(table(outcome.json));
    if (outcome.report) {
      // Only the report's main part: its style element, parsed here,
      // would break the page's policy (the page has the styles already).
      var text = outcome.report, start = text.indexOf("<main"), end = text.lastIndexOf("</main>");
      var doc = new DOMParser().parseFromString(text.slice(start, end + 7), "text/html");
      var main = doc.querySelector("main");
      main.querySelectorAll("script, h1, .summary, .scroll").forEach(function (e) { e.remove(); });
      var views = el("div", {"class": "views"});
      while (main.firstChild) { views.appendChild(document.adoptNode(main.firstChild)); }
      results.appendChild(views);
      window.maeReportStart(views);
    }
  }
  // Checks `given`, a list of {file, path}: path as the file lies in the
  // folder checked.
  function check(given) {
    status.textContent = "Checking " + given.length + " files\u2026";
    Promise.all(given.map(function (g) {
      return g.file.arrayBuffer().then(function (buffer) {
        return {name: g.path, bytes: new Uint8Array(buffer)};
      });
    })).then(function (files) {
      return ready.then(function (core) {
        var outcome = run(core, files, true);
        status.textContent = "";
        show(outcome);
      });
    }).catch(function (e) { status.textContent = "Could not check: " + e; });
  }
  // Picked files; a picked folder's files carry its name first, left out.
  function picked(fileList) {
    return Array.prototype.map.call(fileList, function (f) {
      return {file: f, path: f.webkitRelativePath ? f.webkitRelativePath.replace(/^[^/]*\//, "") : f.name};
    });
  }
  // Dropped files and folders: a folder's files to the depth the command
  // line searches (and ANS/ below it), hidden ones left out; one folder
  // dropped alone is the folder checked, as when it is picked. Its entries
  // are taken now, while the drop lasts.
  function dropped(dt) {
    var entries = Array.prototype.map.call(dt.items || [], function (item) {
      return item.kind === "file" && item.webkitGetAsEntry ? item.webkitGetAsEntry() : null;
    });
    if (entries.length === 0 || entries.some(function (e) { return !e; })) {
      return Promise.resolve(picked(dt.files));
    }
    var alone = entries.length === 1 && entries[0].isDirectory, out = [];
    function walk(entry, depth) {
      if (entry.name.charAt(0) === ".") { return Promise.resolve(); }
      if (entry.isFile) {
        return new Promise(function (done, fail) {
          entry.file(function (f) {
            var path = entry.fullPath.replace(/^\//, "");
            out.push({file: f, path: alone ? path.replace(/^[^/]*\//, "") : path});
            done();
          }, fail);
        });
      }
      if (depth > 5) { return Promise.resolve(); }
      var reader = entry.createReader(), all = [];
      return new Promise(function (done, fail) {
        (function more() {
          reader.readEntries(function (list) {
            if (list.length > 0) { all = all.concat(Array.prototype.slice.call(list)); more(); return; }
            Promise.all(all.map(function (e) { return walk(e, depth + 1); })).then(done, fail);
          }, fail);
        })();
      });
    }
    return Promise.all(entries.map(function (e) { return walk(e, 0); })).then(function () { return out; });
  }
  var drop = document.getElementById("drop");
  drop.addEventListener("dragover", function (ev) { ev.preventDefault(); drop.classList.add("over"); });
  drop.addEventListener("dragleave", function () { drop.classList.remove("over"); });
  drop.addEventListener("drop", function (ev) {
    ev.preventDefault();
    drop.classList.remove("over");
    dropped(ev.dataTransfer).then(check, function (e) { status.textContent = "Could not read: " + e; });
  });
  document.querySelectorAll("#drop input[type=file]").forEach(function (input) {
    input.addEventListener("change", function () { check(picked(input.files)); });
  });
})();
